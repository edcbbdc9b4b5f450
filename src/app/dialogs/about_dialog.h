// The About box: the program's title, one line with its version and one with the board firmware
// it needs, its licence, and links to what exists: the installed manual, and the home page,
// release page and mail address when the build names them.
//
//     AboutDialog dialog(workbench.messages(), this);
//     dialog.exec();
#pragma once

#include "app/dialogs/translated_dialog.h"

namespace tovel {

class CHyperLink;

class AboutDialog : public TranslatedDialog {
    Q_OBJECT

public:
    enum Control : unsigned {
        OkId = 1,
        TitleId = 1104,
        ProgramLineId = 1106,
        LicenceId = 1108,
        ProjectPageLabelId = 1109,
        ContactLabelId = 1110,
        ProjectPageLinkId = 1070,
        ContactLinkId = 1077,
        HelpLinkId = 1112,
        ReleasesLabelId = 1111,
        ReleasesLinkId = 1113,
    };

    // `manualPath` empty: no manual row.
    explicit AboutDialog(const Messages& messages, QWidget* parent = nullptr, const QString& manualPath = {});

    CHyperLink* link(unsigned id) const;
};

} // namespace tovel
