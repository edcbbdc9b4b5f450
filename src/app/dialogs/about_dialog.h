// The About box: the program's title, one line with its version and one with the board firmware
// it needs, its licence, and links to what exists: the installed manual, and the home page,
// release page and mail address when the build names them.
//
//     AboutDialog dialog(workbench.messages(), this);
//     dialog.exec();
#pragma once

#include "app/dialogs/translated_dialog.h"
#include "i18n/control_ids.h"

namespace tovel {

class CHyperLink;

class AboutDialog : public TranslatedDialog {
    Q_OBJECT

public:
    // The controls' resource ids, shared with the translation tables.
    using enum ui::aboutDialog::Control;

    // `manualPath` empty: no manual row.
    explicit AboutDialog(const Messages& messages, QWidget* parent = nullptr, const QString& manualPath = {});

    CHyperLink* link(unsigned id) const;
};

} // namespace tovel
