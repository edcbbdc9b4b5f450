// How a window knows its controls by resource id, and retitles them from the translation tables:
// the one mechanism every window of the program uses. A window tags a control with setControlId
// and finds it again with findControl. A window may leave out controls its record names, but only
// by saying so (leaveOutControls); any other record entry without its control is a fault, which
// translateWindow reports with qWarning (in every build) and the GUI tests turn into a failure.
#pragma once

#include <initializer_list>

#include "i18n/messages.h"

class QWidget;

namespace tovel::app {

// Marks `control` as the control with this id (an enumerator of control_ids.h or command_ids.h).
void setControlId(QWidget* control, unsigned id);
// The id given with setControlId, or 0.
unsigned controlId(const QWidget* control);
// The child of `window` with this id, or null. Only the window's own controls count, not those of
// the dialogs it owns.
QWidget* findControl(const QWidget& window, unsigned id);

// Declares that `window` does not show these entries of its translation record.
void leaveOutControls(QWidget& window, std::initializer_list<unsigned> ids);
bool leavesOut(const QWidget& window, unsigned id);

// Sets the window title (empty when the record has none: the owner titles the window) and the
// texts of the listed controls, in table order, in `language`. A window without a record keeps its
// layout texts. The main menu is the main window's business (MainMenu::translate).
void translateWindow(QWidget& window, unsigned dialogId, Language language);

} // namespace tovel::app
