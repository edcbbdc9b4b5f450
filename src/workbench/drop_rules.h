// What a file dropped on the main window does: a project file opens as the project wherever it
// lands; any other file loads into the buffer whose preview it landed on.
#pragma once

#include <string>

namespace tovel {

// Where a dropped file landed.
enum class DropTarget { None, FlashPreview, EepromPreview };

enum class DropAction { OpenProject, LoadFlash, LoadEeprom, Beep, Ignore };

// The extension is the text after the last '.', lowercased; a path without '.' is compared as a
// whole, and a path whose only '.' is its first character is ignored. "tvk" and the project
// extension "tvl" open a project.
DropAction dropActionFor(const std::string& path, DropTarget target);

} // namespace tovel
