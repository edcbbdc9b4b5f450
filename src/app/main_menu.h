// The main window's menu bar: the Project, Flash, Eeprom, Settings, Advanced and Help menus with
// the command id of every item, the recent-project entries of the Project menu, and their texts
// in the current language. Items and the window's buttons share command ids: choosing an item
// reports its id, and the window runs the command that id stands for.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <map>
#include <vector>

#include "i18n/messages.h"
#include "project/recent_projects.h"

class QAction;
class QMenu;
class QMenuBar;

namespace tovel::app {

class MainMenu : public QObject {
    Q_OBJECT

public:
    static constexpr int kTopLevelCount = 6;

    // Fills `bar`. The Help menu stands at the right edge of the bar, as the menu's help style
    // asks, and is still one of the bar's own menus.
    explicit MainMenu(QMenuBar& bar, QObject* parent = nullptr);

    // Retitles every item and top-level menu from the menu translation table.
    void translate(Language language);
    // The recent entries, in slot order, before the placeholder item; with none the grayed
    // placeholder "Recent Projects" stays.
    void setRecentEntries(const std::vector<RecentProjects::MenuEntry>& entries);

    // Puts `toggle` (a checkable item of the window's own, such as a panel's) at the end of the
    // Settings menu, after a separator.
    void addWindowToggle(QAction* toggle);

    QAction* action(int commandId) const;
    QMenu* topLevelMenu(int position) const { return topLevel_[static_cast<std::size_t>(position)]; }
    // The entries now in the Project menu, in order (for tests).
    std::vector<QAction*> recentActions() const { return recentActions_; }

Q_SIGNALS:
    void commandChosen(int commandId);

private:
    QAction* addItem(QMenu* menu, int commandId);

    std::array<QMenu*, kTopLevelCount> topLevel_{};
    std::map<int, QAction*> actions_;
    QAction* recentPlaceholder_ = nullptr;
    std::vector<QAction*> recentActions_;
};

} // namespace tovel::app
