#include "app/dialogs/about_dialog.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "about_links.h"
#include "app/dialogs/hyperlink.h"
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

AboutDialog::AboutDialog(const Messages& messages, QWidget* parent)
    : TranslatedDialog(ui::AboutDialogId, messages, parent) {
    auto* title = addControl(TitleId, new QLabel(this));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = addControl(VersionId, new QLabel(this));
    auto* program = addControl(ProgramLineId, new QLabel(this));
    auto* release = new QLabel(QStringLiteral("tovelisp %1").arg(QStringLiteral(TOVEL_VERSION)), this);
    auto* licence = addControl(LicenceId, new QLabel(this));

    auto* projectLabel = addControl(ProjectPageLabelId, new QLabel(this));
    auto* projectLink =
        addControl(ProjectPageLinkId, new CHyperLink(QString::fromUtf8(about::kProjectUrl), this));
    auto* helpText = new QLabel(helpLabel(messages.language()), this);
    auto* helpLink = addControl(HelpLinkId, new CHyperLink(QString::fromUtf8(about::kHelpUrl), this));
    auto* contactLabel = addControl(ContactLabelId, new QLabel(this));
    const QString contact = QString::fromUtf8(about::kContactAddress);
    auto* contactLink = addControl(ContactLinkId, new CHyperLink(contact, this));
    contactLink->setURL(QStringLiteral("mailto:") + contact);

    auto* links = new QGridLayout;
    const std::pair<QLabel*, CHyperLink*> rows[] = {
        {projectLabel, projectLink}, {helpText, helpLink}, {contactLabel, contactLink}};
    int row = 0;
    for (const auto& [label, link] : rows) {
        links->addWidget(label, row, 0);
        links->addWidget(link, row, 1, Qt::AlignLeft);
        ++row;
    }

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    ok->setFocus(); // the links take the focus only when the person moves it there
    connect(ok, &QPushButton::clicked, this, &AboutDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* top = new QVBoxLayout(this);
    for (QLabel* line : {title, version, program, release, licence}) top->addWidget(line);
    top->addSpacing(8);
    top->addLayout(links);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    retitle();
}

CHyperLink* AboutDialog::link(unsigned id) const { return controlAs<CHyperLink>(id); }

} // namespace tovel
