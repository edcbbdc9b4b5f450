// The list of the last eight projects opened or saved under a new name, most recent first,
// and the entries the Project menu shows for it. Persisted by SettingsFile as
// "Project1".."Project8" in section "Recent".
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tovel {

class RecentProjects {
public:
    static constexpr int kSlotCount = 8;
    static constexpr int kPlaceholderCommand = 32800; // the grayed "Recent Projects" item
    static constexpr int kFirstCommand = 32801;       // slot k has command 32801 + k
    using Slots = std::array<std::string, kSlotCount>;

    struct MenuEntry {
        int command;
        std::string path; // as it stands; a menu that treats '&' specially must escape it
        bool operator==(const MenuEntry&) const = default;
    };

    RecentProjects(); // every slot "[Unspecified]"
    explicit RecentProjects(const Slots& slots);

    const Slots& slots() const { return slots_; }
    const std::string& slot(int k) const { return slots_[static_cast<std::size_t>(k)]; }
    // The path of the most recent project, or "[Unspecified]".
    const std::string& mostRecent() const { return slots_[0]; }

    // Puts `path` at the top with its letters as given. An entry that matches it without regard
    // to ASCII letter case (the most recent such) moves up instead of being duplicated; when
    // there is none, the oldest entry drops out. An empty path or "[Unspecified]" is ignored.
    void add(std::string_view path);

    // The entries in slot order, stopping at the first "[Unspecified]" slot. Empty means the
    // menu keeps its grayed placeholder.
    std::vector<MenuEntry> menuEntries() const;
    // The slot a recent-project command stands for, or -1.
    static int slotOfCommand(int command);

private:
    Slots slots_;
};

} // namespace tovel
