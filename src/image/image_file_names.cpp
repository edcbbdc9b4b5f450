#include "image/image_file_names.h"

#include <cctype>
#include <cstring>

namespace tovel {

bool hasExtension(const std::string& path, const char* extension) {
    const std::size_t length = std::strlen(extension);
    if (path.size() < length) return false;
    const char* tail = path.c_str() + path.size() - length;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) !=
            std::tolower(static_cast<unsigned char>(extension[i])))
            return false;
    }
    return true;
}

} // namespace tovel
