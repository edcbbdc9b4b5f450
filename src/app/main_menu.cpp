#include "app/main_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

#include "i18n/ui_translation.h"
#include "workbench/command_ids.h"

namespace tovel::app {

namespace {

constexpr int kSeparator = 0;

struct ItemSpec {
    int commandId; // kSeparator: a separator
    const char* text;
};

// The items of each menu, in order, with the texts they show in English.
const std::vector<ItemSpec> kProjectItems = {
    {command::NewProject, "&New"},
    {command::OpenProject, "&Open..."},
    {command::ReloadProject, "&Reload"},
    {command::SaveProject, "&Save"},
    {command::SaveProjectAs, "Save &As..."},
    {command::CloseProject, "&Close"},
    {kSeparator, nullptr},
    {command::AutoProgram, "Auto-&Program"},
    {command::Production, "Pro&duction..."},
    {kSeparator, nullptr},
    {RecentProjects::kPlaceholderCommand, "Recent Projects"},
    {kSeparator, nullptr},
    {command::Exit, "&Exit"},
};

const std::vector<ItemSpec> kFlashItems = {
    {command::LoadFlash, "&Load..."},
    {command::LoadFlashAt, "Load A&t..."},
    {command::ReloadFlash, "&Reload..."},
    {command::SaveFlash, "Save"},
    {command::SaveFlashAs, "Save &As..."},
    {command::CloseFlash, "Close"},
    {kSeparator, nullptr},
    {command::ProgramFlash, "&Program"},
    {command::VerifyFlash, "&Verify"},
    {command::ReadFlash, "&Read"},
};

const std::vector<ItemSpec> kEepromItems = {
    {command::LoadEeprom, "&Load..."},
    {command::LoadEepromAt, "Load &At..."},
    {command::ReloadEeprom, "&Reload..."},
    {command::SaveEeprom, "Save"},
    {command::SaveEepromAs, "Save &As..."},
    {command::CloseEeprom, "Close"},
    {kSeparator, nullptr},
    {command::ProgramEeprom, "&Program"},
    {command::VerifyEeprom, "&Verify"},
    {command::ReadEeprom, "&Read"},
};

const std::vector<ItemSpec> kSettingsItems = {
    {command::ProjectSettings, "&Project Settings..."},
    {command::LockFuseBits, "&Lock&&Fuse Bits..."},
    {kSeparator, nullptr},
    {command::BoardSettings, "&Board Settings..."},
    {kSeparator, nullptr},
    {command::SelectLanguage, "Select &Language..."},
};

const std::vector<ItemSpec> kAdvancedItems = {
    {command::BlankCheck, "&Empty Check..."},
    {command::ReadSignature, "&Read Signature..."},
    {kSeparator, nullptr},
    {command::ReadCalibrationBytes, "Read &Calibration Bytes..."},
    {kSeparator, nullptr},
    {command::UpdateFirmware, "&Update firmware version..."},
    {kSeparator, nullptr},
    {command::SearchBoard, "Search &Board..."},
    {command::BoardInfo, "&Tovel/Tovel-U Info..."},
    {command::DiagnoseConnection, "&Diagnose connection..."},
    {command::TraceBoardTraffic, "&Trace board traffic to a file..."},
};

const std::vector<ItemSpec> kHelpItems = {
    {command::Help, "&Help"},
    {kSeparator, nullptr},
    {command::About, "&About"},
};

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
    const std::array<const char*, kTopLevelCount> titles = {"&Project",  "&Flash",    "&Eeprom",
                                                            "&Settings", "&Advanced", "&Help"};
    const std::array<const std::vector<ItemSpec>*, kTopLevelCount> items = {
        &kProjectItems, &kFlashItems, &kEepromItems, &kSettingsItems, &kAdvancedItems, &kHelpItems};

    auto* style = new RightAlignedHelpStyle;
    style->setParent(this); // outlives the bar, which the window deletes first
    bar.setStyle(style);
    for (int position = 0; position < kTopLevelCount; ++position) {
        if (position == ui::HelpMenuPosition) bar.addSeparator();
        QMenu* menu = bar.addMenu(QString::fromLatin1(titles[static_cast<std::size_t>(position)]));
        topLevel_[static_cast<std::size_t>(position)] = menu;
        for (const ItemSpec& item : *items[static_cast<std::size_t>(position)]) {
            if (item.commandId == kSeparator)
                menu->addSeparator();
            else
                addItem(menu, item.commandId, item.text);
        }
    }

    recentPlaceholder_ = actions_.at(RecentProjects::kPlaceholderCommand);
    recentPlaceholder_->setEnabled(false);
    // The placeholder is not a command: it must not report one.
    disconnect(recentPlaceholder_, nullptr, this, nullptr);
}

QAction* MainMenu::addItem(QMenu* menu, int commandId, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setData(commandId);
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
        }
    }
    // Items newer than the translation table take their text from the message catalogue.
    if (QAction* item = action(command::DiagnoseConnection))
        item->setText(QString::fromUtf8(message(msg::DoctorMenuItem, language)));
    // While a trace runs the window names its file here instead (MainWindow::showBoardTrafficTrace).
    if (QAction* item = action(command::TraceBoardTraffic))
        item->setText(QString::fromUtf8(message(msg::TraceMenuItemOff, language)));
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
        item->setData(entry.command);
        const int commandId = entry.command;
        connect(item, &QAction::triggered, this, [this, commandId] { Q_EMIT commandChosen(commandId); });
        project->insertAction(recentPlaceholder_, item);
        recentActions_.push_back(item);
    }
    recentPlaceholder_->setVisible(entries.empty());
}

} // namespace tovel::app

#include "moc_main_menu.cpp"
