#include "app/dialogs/about_dialog.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <QUrl>

#include "about_links.h"
#include "app/dialogs/hyperlink.h"
#include "app/dialogs/window_translation.h"
#include "board/board_protocol.h"
#include "i18n/desktop_texts.h"
#include "i18n/ui_translation.h"

namespace tovel {

namespace {

// The Help menu's title serves as the label of the help document's link.
QString helpLabel(Language language) {
    for (const ui::MenuText& row : ui::menuTexts(language)) {
        if (ui::isHelpMenuKey(row.key)) return QString::fromStdString(ui::withoutMnemonic(row.text)) + u':';
    }
    return QString();
}

} // namespace

AboutDialog::AboutDialog(const Messages& messages, QWidget* parent, const QString& manualPath)
    : TranslatedDialog(ui::AboutDialogId, messages, parent) {
    const Language language = messages.language();
    auto* title = addControl(TitleId, new QLabel(this));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    // One line for this program's version and one for the board firmware it works with.
    auto* version = new QLabel(QString::fromUtf8(formatText(
                                   ui::desktopText(ui::DesktopText::AboutVersion, language), TOVEL_VERSION)),
                               this);
    version->setObjectName(QStringLiteral("programVersion"));
    const std::string firmware(protocol::RequiredVersion.begin(), protocol::RequiredVersion.end());
    auto* firmwareLine =
        new QLabel(QString::fromUtf8(formatText(
                       ui::desktopText(ui::DesktopText::AboutFirmwareVersion, language), firmware.c_str())),
                   this);
    firmwareLine->setObjectName(QStringLiteral("firmwareVersion"));
    auto* program = addControl(ProgramLineId, new QLabel(this));
    auto* licence = addControl(LicenceId, new QLabel(this));

    // Only what exists: the installed manual, and the pages the build names.
    auto* links = new QGridLayout;
    int row = 0;
    const auto addRow = [&](QLabel* label, unsigned linkId, const QString& text, const QString& target) {
        auto* link = addControl(linkId, new CHyperLink(text, this));
        if (!target.isEmpty()) link->setURL(target);
        links->addWidget(label, row, 0);
        links->addWidget(link, row, 1, Qt::AlignLeft);
        ++row;
    };
    // The program's own version lines stand for the record's platform and version lines.
    app::leaveOutControls(*this, {PlatformLineId, VersionLineId});
    const QString homePage = QString::fromUtf8(about::kProjectUrl);
    if (!homePage.isEmpty())
        addRow(addControl(ProjectPageLabelId, new QLabel(this)), ProjectPageLinkId, homePage, {});
    else
        app::leaveOutControls(*this, {ProjectPageLabelId});
    if (!manualPath.isEmpty())
        addRow(new QLabel(helpLabel(language), this), HelpLinkId,
               QString::fromUtf8(ui::desktopText(ui::DesktopText::AboutManual, language)),
               QUrl::fromLocalFile(manualPath).toString());
    const QString releases = QString::fromUtf8(about::kReleasesUrl);
    if (!releases.isEmpty())
        addRow(addControl(ReleasesLabelId, new QLabel(this)), ReleasesLinkId, releases, {});
    else
        app::leaveOutControls(*this, {ReleasesLabelId});
    const QString contact = QString::fromUtf8(about::kContactAddress);
    if (!contact.isEmpty())
        addRow(addControl(ContactLabelId, new QLabel(this)), ContactLinkId, contact,
               QStringLiteral("mailto:") + contact);
    else
        app::leaveOutControls(*this, {ContactLabelId});

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    ok->setFocus(); // the links take the focus only when the person moves it there
    connect(ok, &QPushButton::clicked, this, &AboutDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* top = new QVBoxLayout(this);
    for (QLabel* line : {title, version, firmwareLine, program, licence}) top->addWidget(line);
    top->addSpacing(8);
    top->addLayout(links);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    retitle();
}

CHyperLink* AboutDialog::link(unsigned id) const { return controlAs<CHyperLink>(id); }

} // namespace tovel
