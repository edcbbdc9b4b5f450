#include "image/image_file.h"

#include <cctype>
#include <cstring>

#include "image/file_reader.h"
#include "image/hex_encoder.h"
#include "image/image_boxes.h"
#include "image/image_decoder.h"
#include "image/image_limits.h"
#include "image/replacing_file_writer.h"

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

ImageFileRead readImageFile(const std::string& path, UserInterface& ui, const Messages& messages) {
    ImageFileRead result;
    const bool binaryByName = hasExtension(path, ".bin");
    FileContents file =
        readFilePrefix(path, kMaxImageSize, binaryByName ? kMaxImageSize : kMaxHexTextSize, ':');
    if (file.status == FileReadStatus::CannotRead) {
        showImageError(ui, messages, messages.format(msg::CannotReadFile, path.c_str()));
        result.status = ImageReadStatus::CannotRead;
        return result;
    }
    if (file.status == FileReadStatus::NoMemory) {
        showImageError(ui, messages, messages.text(msg::NotEnoughMemory));
        result.status = ImageReadStatus::NoMemory;
        return result;
    }

    DecodedImage decoded = decodeImage(file.bytes.span(), binaryByName, [&] {
        return askImageQuestion(ui, messages, messages.text(msg::HexChecksumInvalidQuestion));
    });
    if (decoded.hexAreaNoMemory) showImageError(ui, messages, messages.text(msg::NotEnoughMemory));
    if (decoded.hexError) showImageError(ui, messages, messages.text(msg::ErrorHEXFile));
    if (decoded.binaryNoMemory) showImageError(ui, messages, messages.text(msg::NotEnoughMemory));
    if (!decoded.image) {
        result.status = ImageReadStatus::NoImage;
        return result;
    }
    result.status = ImageReadStatus::Loaded;
    result.image = std::move(*decoded.image);
    return result;
}

bool writeImageFile(const std::string& path, std::span<const std::uint8_t> data, UserInterface& ui,
                    const Messages& messages) {
    bool asHex = false;
    if (hasExtension(path, ".bin"))
        asHex = false;
    else if (hasExtension(path, ".hex") || hasExtension(path, ".eep"))
        asHex = true;
    else
        asHex = askImageQuestion(ui, messages, messages.format(msg::SaveAsHexQuestion, path.c_str()));

    ReplacingFileWriter file;
    bool written = file.open(path) && file.reserve(asHex ? hexTextLength(data.size()) : data.size());
    if (written) {
        if (asHex) {
            written = encodeHex(data, [&](std::span<const char> text) { return file.write(text); });
        } else {
            written = file.write({reinterpret_cast<const char*>(data.data()), data.size()});
        }
        written = written && file.commit();
    }
    if (!written) showImageError(ui, messages, messages.text(msg::CannotSaveFile));
    return written;
}

} // namespace tovel
