// Image files as the buffers load and save them: reading a file into a new image (HEX or
// binary, chosen by its name or content) and writing an image as HEX or binary, with every
// message on the way. A file is read whole and decoded whole before anyone sees its image.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/user_interface.h"
#include "i18n/messages.h"
#include "image/byte_block.h"
#include "image/file_reader.h"
#include "image/image_decoder.h"
#include "image/image_file_names.h"

namespace tovel {

enum class ImageReadStatus {
    Loaded,     // `image` holds the decoded image, which has at least one byte
    CannotRead, // "Cannot read file '%s'" was shown
    NoMemory,   // "Not enough memory" was shown
    Refused,    // the file is not a valid image: too large, malformed HEX (with its line and
                // reason as detail), a declined checksum, or no data; the person was told
};

struct ImageFileRead {
    ImageReadStatus status = ImageReadStatus::CannotRead;
    ByteBlock image;
    ImageFormat format = ImageFormat::Binary;
    FileVersion version; // of the file as it was read (Loaded only)
};

// Reads and decodes a file. Shows "Error in HEX file" (and, as detail, the line and the reason)
// or asks the checksum question (once per file) as the decoding meets them.
ImageFileRead readImageFile(const std::string& path, UserInterface& ui, const Messages& messages);

// The format a file of this name is written in: binary (".bin"), HEX (".hex", ".eep"), or as
// the person chooses for any other name.
ImageFormat writeFormatFor(const std::string& path, UserInterface& ui, const Messages& messages);

// Writes `data` in `format`. The old file is replaced only when the whole new one is written;
// otherwise it is left intact, "Cannot save file" is shown and false returned.
bool writeImageFile(const std::string& path, std::span<const std::uint8_t> data, ImageFormat format,
                    UserInterface& ui, const Messages& messages);

} // namespace tovel
