// How image paths are stored in a project file. A relative path is taken relative to the folder
// of the project file, so a project folder can be moved or copied as a whole; an image inside
// that folder (or below it) is stored relative to it for the same reason, any other as its
// absolute path. "[Unspecified]" and the empty name pass unchanged.
#pragma once

#include <string>

namespace tovel {

// The path a stored image name stands for, for a project file at `projectPath`.
std::string resolveImagePath(const std::string& projectPath, const std::string& stored);

// The name to store for `imagePath` in a project file at `projectPath`.
std::string storedImagePath(const std::string& projectPath, const std::string& imagePath);

} // namespace tovel
