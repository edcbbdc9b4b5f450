// Image files as the buffers load and save them: reading a file into a new image (HEX or
// binary) and writing an image as HEX or binary, with every message on the way.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/user_interface.h"
#include "i18n/messages.h"
#include "image/byte_block.h"

namespace tovel {

// True when the last four characters of `path` are `extension` (".bin", ".hex", ".eep"),
// whatever their case.
bool hasExtension(const std::string& path, const char* extension);

enum class ImageReadStatus {
    Loaded,     // `image` holds the decoded image
    CannotRead, // "Cannot read file '%s'" was shown
    NoMemory,   // "Not enough memory" was shown: no room to read the file
    NoImage,    // nothing could be decoded ("Not enough memory" was shown)
};

struct ImageFileRead {
    ImageReadStatus status = ImageReadStatus::CannotRead;
    ByteBlock image;
};

// Reads and decodes a file: binary when its name ends in ".bin", otherwise HEX when the text
// is HEX, and binary when it is not. Shows "Error in HEX file" and asks the checksum question
// (once per file) as the decoding meets them.
ImageFileRead readImageFile(const std::string& path, UserInterface& ui, const Messages& messages);

// Writes `data` as binary (".bin"), HEX (".hex", ".eep"), or as the person chooses for any
// other name. The old file is replaced only when the whole new one is written; otherwise it is
// left intact, "Cannot save file" is shown and false returned.
bool writeImageFile(const std::string& path, std::span<const std::uint8_t> data, UserInterface& ui,
                    const Messages& messages);

} // namespace tovel
