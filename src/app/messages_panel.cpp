#include "app/messages_panel.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "app/qt_user_interface.h"
#include "i18n/desktop_texts.h"

namespace tovel::app {

namespace {

QString textOf(ui::DesktopText id, Language language) {
    return QString::fromUtf8(ui::desktopText(id, language));
}

} // namespace

MessagesPanel::MessagesPanel(QtUserInterface& ui, QWidget* parent) : QDockWidget(parent), ui_(ui) {
    setObjectName(QStringLiteral("messagesPanel"));
    setFeatures(QDockWidget::DockWidgetClosable);
    auto* body = new QWidget(this);
    log_ = new QPlainTextEdit(body);
    log_->setReadOnly(true);
    log_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    log_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    log_->setMaximumBlockCount(10000); // a long session must not grow without end
    copy_ = new QPushButton(body);
    save_ = new QPushButton(body);
    for (QPushButton* button : {copy_, save_}) button->setAutoDefault(false);
    connect(copy_, &QPushButton::clicked, this, &MessagesPanel::copyAll);
    connect(save_, &QPushButton::clicked, this, &MessagesPanel::saveAsText);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy_);
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(log_, 1);
    layout->addLayout(buttons);
    setWidget(body);
    retranslate(Language::English);
}

void MessagesPanel::append(const QString& text) {
    if (text.isEmpty()) return;
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    QString indented = text;
    indented.replace(QLatin1Char('\n'), QStringLiteral("\n          "));
    log_->appendPlainText(time + QStringLiteral("  ") + indented);
}

QString MessagesPanel::text() const { return log_->toPlainText(); }

bool MessagesPanel::saveTo(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    file.write(text().toUtf8());
    file.write("\n");
    return file.commit();
}

void MessagesPanel::copyAll() { QApplication::clipboard()->setText(text()); }

void MessagesPanel::saveAsText() {
    FileChoice choice;
    choice.save = true;
    choice.initialPath = "messages.txt";
    choice.filters = {ui::desktopText(ui::DesktopText::TextFilesFilter, language_),
                      ui::desktopText(ui::DesktopText::AllFilesFilter, language_)};
    const std::optional<std::string> path = ui_.chooseFile(choice);
    if (path && !saveTo(QString::fromStdString(*path)))
        ui_.showInfo(ui_.messages().text(msg::CannotSaveFile));
}

void MessagesPanel::retranslate(Language language) {
    language_ = language;
    setWindowTitle(textOf(ui::DesktopText::MessagesPanelTitle, language));
    copy_->setText(textOf(ui::DesktopText::CopyAll, language));
    save_->setText(textOf(ui::DesktopText::SaveAsText, language));
    log_->setAccessibleName(textOf(ui::DesktopText::MessagesLogName, language));
}

} // namespace tovel::app

#include "moc_messages_panel.cpp"
