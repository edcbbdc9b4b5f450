// What a file's name says about its format.
#pragma once

#include <string>

namespace tovel {

// True when `path` ends in `extension` (".bin", ".hex", ".eep"), whatever the case.
bool hasExtension(const std::string& path, const char* extension);

} // namespace tovel
