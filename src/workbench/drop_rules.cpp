#include "workbench/drop_rules.h"

#include <algorithm>
#include <cctype>

namespace tovel {

DropAction dropActionFor(const std::string& path, DropTarget target) {
    const std::size_t dot = path.rfind('.');
    if (dot == 0) return DropAction::Ignore;
    std::string extension = dot == std::string::npos ? path : path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "tvk" || extension == "tvl") return DropAction::OpenProject;
    switch (target) {
    case DropTarget::FlashPreview:
        return DropAction::LoadFlash;
    case DropTarget::EepromPreview:
        return DropAction::LoadEeprom;
    case DropTarget::None:
        break;
    }
    return DropAction::Beep;
}

} // namespace tovel
