#include "project/project_paths.h"

#include <filesystem>

#include "core/no_file_name.h"

namespace tovel {

namespace fs = std::filesystem;

namespace {

bool isPlaceholder(const std::string& name) { return name.empty() || name == kUnspecifiedFileName; }

fs::path projectFolder(const std::string& projectPath) {
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(projectPath), ec).parent_path();
    return ec ? fs::path(projectPath).parent_path() : folder;
}

} // namespace

std::string resolveImagePath(const std::string& projectPath, const std::string& stored) {
    if (isPlaceholder(stored) || fs::path(stored).is_absolute()) return stored;
    return (projectFolder(projectPath) / stored).lexically_normal().string();
}

std::string storedImagePath(const std::string& projectPath, const std::string& imagePath) {
    if (isPlaceholder(imagePath)) return imagePath;
    std::error_code ec;
    const fs::path image = fs::absolute(fs::path(imagePath), ec).lexically_normal();
    if (ec) return imagePath;
    const fs::path folder = projectFolder(projectPath).lexically_normal();
    const fs::path relative = image.lexically_relative(folder);
    const bool inside = !relative.empty() && *relative.begin() != ".." && relative != ".";
    return inside ? relative.string() : image.string();
}

} // namespace tovel
