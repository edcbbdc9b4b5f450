// An INI document with the semantics of private-profile files, used for the settings file and
// for project files.
//
// - "[Name]" opens a section; "Key=Value" holds a value. Section and key names are matched
//   without regard to ASCII letter case; the first matching section and the first matching key
//   in it count. Keys before the first section belong to no section and are never found.
// - Names and values are trimmed of blanks at both ends when read; a value is otherwise read
//   exactly as written (no quote removal, no escapes). Lines starting with ';' or '#' are
//   comments.
// - Writing updates the key in place (keeping its spelling), or adds it after the last key of
//   its section, or adds the section at the end of the document. Every line the document does
//   not know (comments, other keys, odd lines, bytes that are not text) is kept as it was.
// - Integers are written as decimal text. Reading one takes optional blanks, an optional sign
//   and the leading decimal digits, wrapping modulo 2^32 like the 32-bit profile reader; a value
//   without leading digits ("abc", "0x10" reads 0) gives 0, an empty value or a missing key the
//   default.
// - Lines end in LF or CRLF when read; a document written out uses the line end of its first
//   line (LF for a new document). A UTF-8 byte-order mark is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tovel {

class IniFile {
public:
    // Larger files are refused rather than parsed: no settings or project file comes near it.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    IniFile() = default;
    static IniFile parse(std::string_view text);

    // The document in the file. A missing file gives an empty document; nothing is returned
    // when the file exists but cannot be read or is larger than kMaxFileSize.
    static std::optional<IniFile> readFile(const std::string& path);

    // The value as written (trimmed), or nothing when the section or the key is missing.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    bool contains(std::string_view section, std::string_view key) const {
        return find(section, key).has_value();
    }

    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    std::int32_t readInt(std::string_view section, std::string_view key, std::int32_t fallback) const;
    std::uint32_t readUnsigned(std::string_view section, std::string_view key, std::uint32_t fallback) const;
    // Any integer other than 0 is true.
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // False (and nothing changed) when the value holds a line break, or a name is empty or holds
    // a line break, '=' (keys) or ']' (sections): such text could not be read back.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, std::int64_t value);
    bool writeBool(std::string_view section, std::string_view key, bool value); // "1" or "0"

    std::string text() const;
    // Writes the document through a temporary file renamed over `path`; false on any failure,
    // which leaves the old file as it was.
    bool writeFile(const std::string& path) const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text; // without the line end
        Kind kind = Kind::Other;
        // Where the trimmed section or key name and the trimmed value lie in `text`.
        std::uint32_t nameStart = 0, nameLength = 0, valueStart = 0, valueLength = 0;

        std::string_view name() const { return std::string_view(text).substr(nameStart, nameLength); }
        std::string_view value() const { return std::string_view(text).substr(valueStart, valueLength); }
    };
    // The first section of a name; later sections of the same name are never read or written.
    struct Section {
        std::uint32_t header = 0;  // line id of "[Name]"
        std::uint32_t lastKey = 0; // line id of its last key line (the header while it has none)
    };

    static Line classify(std::string text);
    std::uint32_t addLine(std::string text);
    void insertAfter(std::uint32_t existing, std::uint32_t added);

    // Lines are kept in `lines_` by id and never move, so the indexes below stay valid when a
    // line is inserted; `order_` is the document order. Every lookup is a hash lookup, so a
    // large or hostile file costs linear work, not lines times keys.
    std::vector<Line> lines_;
    std::vector<std::uint32_t> order_;
    std::unordered_map<std::string, Section> sections_;   // by lower-case name
    std::unordered_map<std::string, std::uint32_t> keys_; // by lower-case "section\nkey"
    bool crlf_ = false;
    bool byteOrderMark_ = false;
};

// Parses a profile integer as described above: blanks, sign, leading decimal digits, 32-bit wrap.
std::int32_t parseProfileInt(std::string_view text);

} // namespace tovel
