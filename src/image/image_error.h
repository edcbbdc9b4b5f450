// Why an image file could not be decoded, and where: what the command line prints after the
// "Error in HEX file" box, and what tests check.
#pragma once

#include <cstddef>

namespace tovel {

enum class ImageErrorKind {
    None,
    NoColon,            // a line that is not blank does not start with ':'
    NotHexDigit,        // a character inside a record is not a hexadecimal digit
    OddDigitCount,      // a record line holds an odd number of digits
    RecordCutShort,     // the line ends before the record its byte count announces
    TrailingCharacters, // more characters after the record's checksum
    BadChecksum,        // a record's checksum is wrong (and the person would not load it)
    UnknownRecordType,  // a type other than 00 to 05
    BadAddressRecord,   // a type 02 or 04 record that does not hold two bytes
    BeyondImageArea,    // data that lies at or past the end of the image area
    NoEndRecord,        // the text ends without an end-of-file record: cut short or being written
};

struct ImageError {
    ImageErrorKind kind = ImageErrorKind::None;
    std::size_t line = 0; // 1-based line of the text; 0 when the error is not on one line
    unsigned value = 0;   // the record type for UnknownRecordType
};

} // namespace tovel
