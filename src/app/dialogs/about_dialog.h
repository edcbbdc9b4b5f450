// The About box: the program's title and version lines, its licence, and links to the project
// page, the help document and the contact address.
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
        VersionId = 1107,
        ProgramLineId = 1106,
        LicenceId = 1108,
        ProjectPageLabelId = 1109,
        ContactLabelId = 1110,
        ProjectPageLinkId = 1070,
        ContactLinkId = 1077,
        HelpLinkId = 1112,
    };

    explicit AboutDialog(const Messages& messages, QWidget* parent = nullptr);

    CHyperLink* link(unsigned id) const;
};

} // namespace tovel
