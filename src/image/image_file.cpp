#include "image/image_file.h"

#include "image/hex_encoder.h"
#include "image/image_boxes.h"
#include "image/image_limits.h"
#include "image/replacing_file_writer.h"

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

ImageFileRead refused(const std::string& text, UserInterface& ui, const Messages& messages) {
    showImageError(ui, messages, text);
    ImageFileRead result;
    result.status = ImageReadStatus::Refused;
    return result;
}

ImageFileRead tooLarge(const std::string& path, std::size_t limit, UserInterface& ui, const Messages& messages) {
    return refused(messages.format(msg::ImageFileTooLarge, path.c_str(), static_cast<int>(limit / kMiB)), ui,
                   messages);
}

} // namespace

ImageFileRead readImageFile(const std::string& path, UserInterface& ui, const Messages& messages) {
    ImageFileRead result;
    // A binary image may be as long as the image area; a HEX text describes at most that much
    // but takes several times the room.
    const std::size_t textLimit = hasExtension(path, ".bin") ? kMaxImageSize : kMaxHexTextSize;
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

    DecodedImage decoded = decodeImage(file.bytes.span(), format, [&] {
        return askImageQuestion(ui, messages, messages.text(msg::HexChecksumInvalidQuestion));
    });
    switch (decoded.status) {
    case DecodeStatus::NoMemory:
        showImageError(ui, messages, messages.text(msg::NotEnoughMemory));
        result.status = ImageReadStatus::NoMemory;
        return result;
    case DecodeStatus::HexError:
        result = refused(messages.text(msg::ErrorHEXFile), ui, messages);
        ui.showDetail(errorDetail(decoded.error, messages));
        return result;
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
    return askImageQuestion(ui, messages, messages.format(msg::SaveAsHexQuestion, path.c_str()))
               ? ImageFormat::Hex
               : ImageFormat::Binary;
}

bool writeImageFile(const std::string& path, std::span<const std::uint8_t> data, ImageFormat format,
                    UserInterface& ui, const Messages& messages) {
    const bool asHex = format == ImageFormat::Hex;
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
