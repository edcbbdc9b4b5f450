// Turns the bytes of an image file into an image, in the one format its name (or, for other
// names, its content) chooses: Intel HEX, Motorola S-records, AVR ELF or raw binary. Pure: the caller reads
// the file and shows the notices the result carries. A text that does not decode gives no image at all:
// nothing is ever loaded half, or as the wrong format.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "image/byte_block.h"
#include "image/elf_image.h"
#include "image/hex_decoder.h"
#include "image/image_error.h"
#include "image/srec_decoder.h"

namespace tovel {

enum class ImageFormat { Hex, Binary, Srec, Elf };

// Which memory of a file that holds several (an ELF file) a buffer takes.
enum class ImageMemory { Flash, Eeprom };

// ".hex" and ".eep" (any case) are HEX, ".bin" binary, ".srec", ".s19", ".s28", ".s37" and
// ".mot" S-records and ".elf" ELF, whatever they hold. Any other name is ELF when it starts with
// the ELF magic; otherwise, looking past blanks (and a UTF-8 byte-order mark), HEX when it starts
// with ':', S-records when with 'S' and a digit, and binary else.
ImageFormat chooseImageFormat(const std::string& path, std::span<const std::uint8_t> text);

// Whether `format` can be written (ELF is read only).
inline bool isWritable(ImageFormat format) { return format != ImageFormat::Elf; }

enum class DecodeStatus {
    Decoded,          // `image` holds the image (it may be empty: the caller decides)
    HexError,         // "Error in HEX file": `error` says where and why
    SrecError,        // `srecFault` says why, `error.line` where
    ElfError,         // `elfFault` says why
    ChecksumDeclined, // a bad checksum, and the person would not load the file
    NoMemory,         // "Not enough memory"
};

struct DecodedImage {
    DecodeStatus status = DecodeStatus::NoMemory;
    ImageFormat format = ImageFormat::Binary;
    std::optional<ByteBlock> image;
    ImageError error;
    SrecFault srecFault = SrecFault::None;
    ElfFault elfFault = ElfFault::None;
};

// `hexArea`: an image area of kMaxImageSize bytes kept by a caller that decodes many texts;
// without one, the area is allocated for this call. `memory`: what an ELF file gives.
DecodedImage decodeImage(std::span<const std::uint8_t> text, ImageFormat format,
                         const BadChecksumQuestion& acceptBadChecksum, std::span<std::uint8_t> hexArea = {},
                         ImageMemory memory = ImageMemory::Flash);

} // namespace tovel
