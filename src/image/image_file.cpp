#include "image/image_file.h"

#include "image/hex_encoder.h"
#include "image/image_boxes.h"
#include "image/image_limits.h"
#include "image/replacing_file_writer.h"
#include "image/srec_encoder.h"

namespace tovel {

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

unsigned reasonText(ImageErrorKind kind) {
    switch (kind) {
    case ImageErrorKind::NoColon:
        return msg::HexReasonNoColon;
    case ImageErrorKind::NotHexDigit:
        return msg::HexReasonNotHexDigit;
    case ImageErrorKind::OddDigitCount:
        return msg::HexReasonOddDigitCount;
    case ImageErrorKind::RecordCutShort:
        return msg::HexReasonRecordCutShort;
    case ImageErrorKind::TrailingCharacters:
        return msg::HexReasonTrailingCharacters;
    case ImageErrorKind::BadChecksum:
        return msg::HexReasonBadChecksum;
    case ImageErrorKind::UnknownRecordType:
        return msg::HexReasonUnknownRecordType;
    case ImageErrorKind::BadAddressRecord:
        return msg::HexReasonBadAddressRecord;
    case ImageErrorKind::BeyondImageArea:
        return msg::HexReasonBeyondImageArea;
    case ImageErrorKind::NoEndRecord:
    case ImageErrorKind::None:
        break;
    }
    return msg::HexReasonNoEndRecord;
}

std::string errorDetail(const ImageError& error, const Messages& messages) {
    const std::string reason = messages.format(reasonText(error.kind), error.value);
    return messages.format(msg::HexErrorAtLine, static_cast<int>(error.line), reason.c_str());
}

unsigned srecReason(SrecFault fault) {
    switch (fault) {
    case SrecFault::NotSrec:
        return msg::SrecNotARecord;
    case SrecFault::BadRecordType:
        return msg::SrecBadRecordType;
    case SrecFault::BadDigit:
        return msg::SrecBadDigit;
    case SrecFault::BadLength:
        return msg::SrecBadLength;
    case SrecFault::BadChecksum:
        return msg::SrecBadChecksum;
    case SrecFault::OutsideImage:
        return msg::SrecOutsideImage;
    case SrecFault::BadRecordCount:
        return msg::SrecBadRecordCount;
    case SrecFault::NoTermination:
    case SrecFault::NoMemory:
    case SrecFault::None:
        break;
    }
    return msg::SrecNoTermination;
}

std::string srecErrorText(SrecFault fault, std::size_t line, const Messages& messages) {
    const std::string reason = messages.text(srecReason(fault));
    if (line == 0) return messages.format(msg::SrecFileError, reason.c_str());
    return messages.format(msg::SrecFileErrorAtLine, static_cast<int>(line), reason.c_str());
}

std::string elfErrorText(ElfFault fault, const std::string& path, const Messages& messages) {
    switch (fault) {
    case ElfFault::OtherArchitecture:
        return messages.format(msg::ElfOtherArchitecture, path.c_str());
    case ElfFault::NothingLoadable:
        return messages.format(msg::ElfNothingLoadable, path.c_str());
    case ElfFault::OutsideImage:
        return messages.format(msg::ElfOutsideImage, path.c_str());
    case ElfFault::NotElf:
    case ElfFault::Damaged:
    case ElfFault::NoMemory:
    case ElfFault::None:
        break;
    }
    return messages.format(msg::ElfNotReadable, path.c_str());
}

bool namesBinary(const std::string& path) { return hasExtension(path, ".bin"); }

ImageFileRead refused(const std::string& text, UserInterface& ui, const Messages& messages) {
    showImageError(ui, messages, text);
    ImageFileRead result;
    result.status = ImageReadStatus::Refused;
    return result;
}

ImageFileRead tooLarge(const std::string& path, std::size_t limit, UserInterface& ui,
                       const Messages& messages) {
    return refused(messages.format(msg::ImageFileTooLarge, path.c_str(), static_cast<int>(limit / kMiB)), ui,
                   messages);
}

} // namespace

ImageFileRead readImageFile(const std::string& path, UserInterface& ui, const Messages& messages,
                            ImageMemory memory) {
    ImageFileRead result;
    // A binary image may be as long as the image area; a HEX or S-record text describes at most
    // that much but takes several times the room, and an ELF file carries symbols besides.
    const std::size_t textLimit = namesBinary(path) ? kMaxImageSize : kMaxHexTextSize;
    FileContents file = readWholeFile(path, textLimit);
    switch (file.status) {
    case FileReadStatus::CannotRead:
        showImageError(ui, messages, messages.format(msg::CannotReadFile, path.c_str()));
        result.status = ImageReadStatus::CannotRead;
        return result;
    case FileReadStatus::NoMemory:
        showImageError(ui, messages, messages.text(msg::NotEnoughMemory));
        result.status = ImageReadStatus::NoMemory;
        return result;
    case FileReadStatus::TooLarge:
        return tooLarge(path, textLimit, ui, messages);
    case FileReadStatus::Read:
        break;
    }

    const ImageFormat format = chooseImageFormat(path, file.bytes.span());
    if (format == ImageFormat::Binary && file.bytes.size() > kMaxImageSize)
        return tooLarge(path, kMaxImageSize, ui, messages);

    DecodedImage decoded = decodeImage(
        file.bytes.span(), format,
        [&] { return askImageQuestion(ui, messages, messages.text(msg::HexChecksumInvalidQuestion)); }, {},
        memory);
    switch (decoded.status) {
    case DecodeStatus::NoMemory:
        showImageError(ui, messages, messages.text(msg::NotEnoughMemory));
        result.status = ImageReadStatus::NoMemory;
        return result;
    case DecodeStatus::HexError:
        result = refused(messages.text(msg::ErrorHEXFile), ui, messages);
        ui.showDetail(errorDetail(decoded.error, messages));
        return result;
    case DecodeStatus::SrecError:
        return refused(srecErrorText(decoded.srecFault, decoded.error.line, messages), ui, messages);
    case DecodeStatus::ElfError:
        return refused(elfErrorText(decoded.elfFault, path, messages), ui, messages);
    case DecodeStatus::ChecksumDeclined:
        result = refused(messages.text(msg::CannotLoadFile), ui, messages);
        ui.showDetail(errorDetail(decoded.error, messages));
        return result;
    case DecodeStatus::Decoded:
        break;
    }
    if (!decoded.image || decoded.image->empty())
        return refused(messages.format(msg::ImageFileHoldsNoData, path.c_str()), ui, messages);

    result.status = ImageReadStatus::Loaded;
    result.image = std::move(*decoded.image);
    result.format = format;
    result.version = file.version;
    return result;
}

ImageFormat writeFormatFor(const std::string& path, UserInterface& ui, const Messages& messages) {
    if (hasExtension(path, ".bin")) return ImageFormat::Binary;
    if (hasExtension(path, ".hex") || hasExtension(path, ".eep")) return ImageFormat::Hex;
    // The name decides S-records and ELF as it does when reading.
    const ImageFormat byName = chooseImageFormat(path, {});
    if (byName == ImageFormat::Srec || byName == ImageFormat::Elf) return byName;
    return askImageQuestion(ui, messages, messages.format(msg::SaveAsHexQuestion, path.c_str()))
               ? ImageFormat::Hex
               : ImageFormat::Binary;
}

bool writeImageFile(const std::string& path, std::span<const std::uint8_t> data, ImageFormat format,
                    UserInterface& ui, const Messages& messages) {
    const auto length = [&] {
        switch (format) {
        case ImageFormat::Hex:
            return hexTextLength(data.size());
        case ImageFormat::Srec:
            return srecTextLength(data.size());
        case ImageFormat::Binary:
        case ImageFormat::Elf:
            break;
        }
        return data.size();
    };
    ReplacingFileWriter file;
    bool written = isWritable(format) && file.open(path) && file.reserve(length());
    if (written) {
        const auto toFile = [&](std::span<const char> text) { return file.write(text); };
        if (format == ImageFormat::Hex) {
            written = encodeHex(data, toFile);
        } else if (format == ImageFormat::Srec) {
            written = encodeSrec(data, toFile);
        } else {
            written = file.write({reinterpret_cast<const char*>(data.data()), data.size()});
        }
        written = written && file.commit();
    }
    if (!written) showImageError(ui, messages, messages.text(msg::CannotSaveFile));
    return written;
}

} // namespace tovel
