// Feeds arbitrary bytes to the settings file. Beyond not crashing, hanging or touching memory
// out of bounds: what start-up reads, written back as the exit steps and the dialogs write it,
// reads back the same (an empty recent slot, or one that cannot be written on one line, comes
// back as "[Unspecified]"), keeps the keys it does not write (the port paths), and a second write
// of the same values leaves the file as it was.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "project/settings_file.h"

using namespace tovel;

namespace {

struct Everything {
    AppSettings app;
    RecentProjects::Slots recent;
    PortPaths ports;
    bool operator==(const Everything&) const = default;
};

Everything readAll(const SettingsFile& file) {
    return {file.read(), file.readRecentProjects(), file.readPortPaths()};
}

bool writeAll(const SettingsFile& file, const Everything& e) {
    bool ok = file.write(e.app.comPort, e.app.baudIndex, e.app.language);
    ok = file.writeLoadMostRecent(e.app.loadMostRecent) && ok;
    ok = file.writeRecentProjects(e.recent) && ok;
    // The dialog stores only delays it accepts.
    const BoardDelays& d = e.app.boardDelays;
    if (isValidBoardDelay(d.preReadDelayMs) && isValidBoardDelay(d.pageReadDelayMs) &&
        isValidBoardDelay(d.pageWriteDelayMs) && isValidBoardDelay(d.postSendDelayMs))
        ok = file.writeBoardDelays(d) && ok;
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("settings.ini");
    if (!fuzz::writeScratch(path, data, size)) return 0;
    const SettingsFile file(path);
    Everything first = readAll(file);
    FUZZ_REQUIRE(writeAll(file, first));
    // An empty recent slot is written as "[Unspecified]", the name that means none, and so is a
    // path that cannot stand on one line (a CR inside a line of a file that ends lines in LF).
    for (std::string& slot : first.recent)
        if (slot.empty() || slot.find_first_of("\r\n") != std::string::npos) slot = "[Unspecified]";
    FUZZ_REQUIRE(readAll(file) == first);
    const std::string written = fuzz::readScratch(path);
    FUZZ_REQUIRE(writeAll(file, first));
    FUZZ_REQUIRE(fuzz::readScratch(path) == written);
    return 0;
}
