#include "app/help_window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "i18n/desktop_texts.h"

namespace tovel::app {

namespace {

constexpr int kBlockPositionRole = Qt::UserRole;

QString textOf(ui::DesktopText id, Language language) {
    return QString::fromUtf8(ui::desktopText(id, language));
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setModal(false);
    contents_ = new QTreeWidget(this);
    contents_->setHeaderHidden(true);
    contents_->setRootIsDecorated(true);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    searchLabel_ = new QLabel(this);
    search_ = new QLineEdit(this);
    searchLabel_->setBuddy(search_);
    findNext_ = new QPushButton(this);
    findNext_->setAutoDefault(false);
    searchResult_ = new QLabel(this);
    connect(contents_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { showHeading(item); });
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { showHeading(item); });
    // A link to another page of the manual: the contents follow it.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] { fillContents(); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { find(search_->text()); });
    connect(findNext_, &QPushButton::clicked, this, [this] { find(search_->text()); });

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel_);
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(findNext_);
    searchRow->addWidget(searchResult_);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(splitter, 1);

    // Wide enough for a page of the manual and its contents side by side.
    const int line = fontMetrics().height();
    resize(line * 60, line * 40);
    splitter->setSizes({line * 16, line * 44});
    retranslate(Language::English);
}

bool HelpWindow::loadManual(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) return false;
    document_ = info.absoluteFilePath();
    browser_->setSource(QUrl::fromLocalFile(document_));
    fillContents(); // also when the same page is opened again
    return true;
}

void HelpWindow::fillContents() {
    contents_->clear();
    QTreeWidgetItem* chapter = nullptr;
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > 3 || block.text().trimmed().isEmpty()) continue;
        QTreeWidgetItem* item =
            level == 2 || chapter == nullptr ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(chapter);
        if (level == 2) chapter = item;
        item->setText(0, block.text().trimmed());
        item->setData(0, kBlockPositionRole, block.position());
    }
    contents_->expandAll();
}

void HelpWindow::showHeading(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    QTextCursor cursor(browser_->document());
    cursor.setPosition(item->data(0, kBlockPositionRole).toInt());
    browser_->setTextCursor(cursor);
    // The heading at the top of the view, not just somewhere on it.
    browser_->moveCursor(QTextCursor::End);
    browser_->setTextCursor(cursor);
    browser_->ensureCursorVisible();
}

bool HelpWindow::find(const QString& text) {
    searchResult_->clear();
    if (text.isEmpty()) return false;
    if (browser_->find(text)) return true;
    // From the top again.
    QTextCursor top(browser_->document());
    browser_->setTextCursor(top);
    if (browser_->find(text)) return true;
    searchResult_->setText(textOf(ui::DesktopText::HelpNotFound, language_));
    return false;
}

void HelpWindow::retranslate(Language language) {
    language_ = language;
    setWindowTitle(textOf(ui::DesktopText::HelpWindowTitle, language));
    searchLabel_->setText(textOf(ui::DesktopText::HelpSearch, language));
    findNext_->setText(textOf(ui::DesktopText::HelpFindNext, language));
    contents_->setAccessibleName(textOf(ui::DesktopText::HelpContents, language));
    browser_->setAccessibleName(textOf(ui::DesktopText::HelpWindowTitle, language));
    search_->setAccessibleName(textOf(ui::DesktopText::HelpSearch, language).remove(QLatin1Char(':')));
}

} // namespace tovel::app

#include "moc_help_window.cpp"
