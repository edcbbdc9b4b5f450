// Retitles a window from the translation tables: its title and each control the table names.
// Controls are found by the numeric id the window gave them with setControlId; a control the
// window lacks is skipped, and a window without a record keeps its layout texts.
#pragma once

#include "i18n/messages.h"

class QWidget;

namespace tovel::app {

// Marks `control` as the control with this id for translateWindow.
void setControlId(QWidget* control, unsigned id);
// The id given with setControlId, or 0.
unsigned controlId(const QWidget* control);
// The child of `window` with this id, or null.
QWidget* findControl(const QWidget& window, unsigned id);

// Sets the window title (empty when the record has none: the owner titles the window) and the
// texts of the listed controls, in table order, in `language`. The main menu is the main
// window's business (MainMenu::translate).
void translateWindow(QWidget& window, unsigned dialogId, Language language);

} // namespace tovel::app
