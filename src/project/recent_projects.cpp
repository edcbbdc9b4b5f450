#include "project/recent_projects.h"

#include "core/no_file_name.h"

namespace tovel {

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

} // namespace

RecentProjects::RecentProjects() { slots_.fill(kUnspecifiedFileName); }

RecentProjects::RecentProjects(const Slots& slots) : slots_(slots) {
    for (std::string& s : slots_)
        if (s.empty()) s = kUnspecifiedFileName;
}

void RecentProjects::add(std::string_view path) {
    // "No project" at the top would hide the whole list from the menu.
    if (path.empty() || path == kUnspecifiedFileName) return;
    int found = kSlotCount - 1; // not found: the oldest slot is the one overwritten
    for (int k = 0; k < kSlotCount; ++k) {
        if (sameIgnoringCase(slots_[static_cast<std::size_t>(k)], path)) {
            found = k;
            break;
        }
    }
    for (int k = found; k > 0; --k)
        slots_[static_cast<std::size_t>(k)] = std::move(slots_[static_cast<std::size_t>(k - 1)]);
    slots_[0] = std::string(path);
}

std::vector<RecentProjects::MenuEntry> RecentProjects::menuEntries() const {
    std::vector<MenuEntry> entries;
    for (int k = 0; k < kSlotCount && slots_[static_cast<std::size_t>(k)] != kUnspecifiedFileName; ++k)
        entries.push_back({kFirstCommand + k, slots_[static_cast<std::size_t>(k)]});
    return entries;
}

int RecentProjects::slotOfCommand(int command) {
    const int k = command - kFirstCommand;
    return (k >= 0 && k < kSlotCount) ? k : -1;
}

} // namespace tovel
