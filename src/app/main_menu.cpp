#include "app/main_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <utility>

#include "i18n/command_ids.h"
#include "i18n/diagnosis_message_ids.h"
#include "i18n/ui_translation.h"

namespace tovel::app {

namespace {

constexpr int kSeparator = 0;

// The items of each menu, in order, by command id. Their texts come from the menu translation
// table, or from the message catalogue for the items newer than it (kCatalogueTexts).
// clang-format off: one item a line, as the menus show them.
const std::vector<int> kProjectItems = {
    command::NewProject,
    command::OpenProject,
    command::ReloadProject,
    command::SaveProject,
    command::SaveProjectAs,
    command::CloseProject,
    kSeparator,
    command::AutoProgram,
    command::Production,
    kSeparator,
    command::RecentProjectsPlaceholder,
    kSeparator,
    command::Exit,
};

const std::vector<int> kFlashItems = {
    command::LoadFlash,   command::LoadFlashAt, command::ReloadFlash, command::SaveFlash,
    command::SaveFlashAs, command::CloseFlash,  kSeparator,           command::ProgramFlash,
    command::VerifyFlash, command::ReadFlash,
};

const std::vector<int> kEepromItems = {
    command::LoadEeprom, command::LoadEepromAt,  command::ReloadEeprom,
    command::SaveEeprom, command::SaveEepromAs,  command::CloseEeprom,
    kSeparator,          command::ProgramEeprom, command::VerifyEeprom,
    command::ReadEeprom,
};

const std::vector<int> kSettingsItems = {
    command::ProjectSettings, command::LockFuseBits, kSeparator, command::BoardSettings, kSeparator,
    command::SelectLanguage,
};

const std::vector<int> kAdvancedItems = {
    command::BlankCheck, command::ReadSignature,      kSeparator, command::ReadCalibrationBytes,
    kSeparator,          command::UpdateFirmware,     kSeparator, command::SearchBoard,
    command::BoardInfo,  command::DiagnoseConnection,
};

const std::vector<int> kHelpItems = {
    command::Help,
    kSeparator,
    command::About,
};
// clang-format on

struct CatalogueText {
    int commandId;
    unsigned messageId;
};
const std::vector<CatalogueText> kCatalogueTexts = {
    {command::DiagnoseConnection, msg::DoctorMenuItem},
};

// Flash and Eeprom read the same in both languages: the translation table has no row for them.
constexpr std::array<std::pair<int, const char*>, 2> kFixedTitles = {{
    {ui::FlashMenuPosition, "&Flash"},
    {ui::EepromMenuPosition, "&Eeprom"},
}};

static_assert(command::RecentProjectsPlaceholder == RecentProjects::kPlaceholderCommand);
static_assert(command::FirstRecentProject == RecentProjects::kFirstCommand);

// Lays out every menu after a menu-bar separator at the right edge of the bar. The Help menu
// stays a menu of the bar itself, so the arrow keys and screen readers reach it like the others,
// and it is laid out again whenever its title or the bar's width changes.
class RightAlignedHelpStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DrawMenuBarSeparator) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The desktop's usual keys for the commands that have one.
QKeySequence standardShortcut(int commandId) {
    switch (commandId) {
    case command::OpenProject:
        return QKeySequence(Qt::CTRL | Qt::Key_O);
    case command::SaveProject:
        return QKeySequence(Qt::CTRL | Qt::Key_S);
    case command::SaveProjectAs:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    case command::Exit:
        return QKeySequence(Qt::CTRL | Qt::Key_Q);
    case command::Help:
        return QKeySequence(Qt::Key_F1);
    default:
        return {};
    }
}

// A path shown as a menu text: an ampersand in it is a character, not a mnemonic marker.
QString menuTextOfPath(const std::string& path) {
    return QString::fromStdString(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

MainMenu::MainMenu(QMenuBar& bar, QObject* parent) : QObject(parent) {
    const std::array<const std::vector<int>*, kTopLevelCount> items = {
        &kProjectItems, &kFlashItems, &kEepromItems, &kSettingsItems, &kAdvancedItems, &kHelpItems};

    auto* style = new RightAlignedHelpStyle;
    style->setParent(this); // outlives the bar, which the window deletes first
    bar.setStyle(style);
    for (int position = 0; position < kTopLevelCount; ++position) {
        if (position == ui::HelpMenuPosition) bar.addSeparator();
        QMenu* menu = bar.addMenu(QString());
        topLevel_[static_cast<std::size_t>(position)] = menu;
        for (const int commandId : *items[static_cast<std::size_t>(position)]) {
            if (commandId == kSeparator)
                menu->addSeparator();
            else
                addItem(menu, commandId);
        }
    }
    for (const auto& [position, title] : kFixedTitles)
        topLevel_[static_cast<std::size_t>(position)]->setTitle(QString::fromLatin1(title));
    translate(Language::English);

    recentPlaceholder_ = actions_.at(command::RecentProjectsPlaceholder);
    recentPlaceholder_->setEnabled(false);
    // The placeholder is not a command: it must not report one.
    disconnect(recentPlaceholder_, nullptr, this, nullptr);
}

QAction* MainMenu::addItem(QMenu* menu, int commandId) {
    QAction* action = menu->addAction(QString());
    if (const QKeySequence shortcut = standardShortcut(commandId); !shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, [this, commandId] { Q_EMIT commandChosen(commandId); });
    actions_[commandId] = action;
    return action;
}

void MainMenu::addWindowToggle(QAction* toggle) {
    QMenu* settings = topLevel_[ui::SettingsMenuPosition];
    settings->addSeparator();
    settings->addAction(toggle);
}

QAction* MainMenu::action(int commandId) const {
    const auto it = actions_.find(commandId);
    return it != actions_.end() ? it->second : nullptr;
}

void MainMenu::translate(Language language) {
    for (const ui::MenuText& row : ui::menuTexts(language)) {
        const QString text = QString::fromUtf8(row.text.data(), static_cast<qsizetype>(row.text.size()));
        if (ui::isTopLevelMenuKey(row.key)) {
            const int position = ui::topLevelMenuPosition(row.key);
            if (position >= 0 && position < kTopLevelCount)
                topLevel_[static_cast<std::size_t>(position)]->setTitle(text);
        } else if (QAction* item = action(row.key)) {
            item->setText(text);
        } else {
            qWarning("The menu has no item %d of its translation table", row.key);
        }
    }
    for (const CatalogueText& row : kCatalogueTexts) {
        if (QAction* item = action(row.commandId))
            item->setText(QString::fromUtf8(message(row.messageId, language)));
    }
}

void MainMenu::setRecentEntries(const std::vector<RecentProjects::MenuEntry>& entries) {
    QMenu* project = topLevel_[ui::ProjectMenuPosition];
    for (QAction* old : recentActions_) {
        project->removeAction(old);
        old->deleteLater();
    }
    recentActions_.clear();
    for (const RecentProjects::MenuEntry& entry : entries) {
        auto* item = new QAction(menuTextOfPath(entry.path), project);
        const int commandId = entry.command;
        connect(item, &QAction::triggered, this, [this, commandId] { Q_EMIT commandChosen(commandId); });
        project->insertAction(recentPlaceholder_, item);
        recentActions_.push_back(item);
    }
    recentPlaceholder_->setVisible(entries.empty());
}

} // namespace tovel::app

#include "moc_main_menu.cpp"
