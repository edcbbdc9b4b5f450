#include "project/ini_file.h"

#include "image/replacing_file_writer.h"
#include "project/text_file_reader.h"

namespace tovel {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != npos; }

} // namespace

std::int32_t parseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

IniFile::Line IniFile::classify(std::string text) {
    Line line;
    const std::string_view body = trim(text);
    if (!body.empty() && body.front() == '[') {
        const std::size_t close = body.find(']');
        if (close != npos) {
            line.kind = Kind::Section;
            line.name = std::string(trim(body.substr(1, close - 1)));
        }
    } else if (!body.empty() && body.front() != ';' && body.front() != '#') {
        const std::size_t equals = body.find('=');
        if (equals != npos) {
            const std::string_view name = trim(body.substr(0, equals));
            if (!name.empty()) {
                line.kind = Kind::Key;
                line.name = std::string(name);
                line.value = std::string(trim(body.substr(equals + 1)));
            }
        }
    }
    line.text = std::move(text);
    return line;
}

IniFile IniFile::parse(std::string_view text) {
    IniFile file;
    if (text.starts_with(kByteOrderMark)) {
        file.byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    const std::size_t firstBreak = text.find('\n');
    file.crlf_ = firstBreak != npos && firstBreak > 0 && text[firstBreak - 1] == '\r';
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        file.lines_.push_back(classify(std::string(raw)));
    }
    return file;
}

std::optional<IniFile> IniFile::readFile(const std::string& path) {
    TextFile read = readTextFile(path, kMaxFileSize);
    if (read.status == TextFileStatus::Missing) return IniFile();
    if (read.status != TextFileStatus::Read) return std::nullopt;
    return parse(read.content);
}

std::size_t IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section)) return i;
    return npos;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

std::size_t IniFile::findKey(std::size_t header, std::string_view key) const {
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key && sameName(lines_[i].name, key)) return i;
    return npos;
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const std::size_t header = findSection(section);
    if (header == npos) return std::nullopt;
    const std::size_t line = findKey(header, key);
    if (line == npos) return std::nullopt;
    return lines_[line].value;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    std::optional<std::string> value = find(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

std::int32_t IniFile::readInt(std::string_view section, std::string_view key, std::int32_t fallback) const {
    const std::optional<std::string> value = find(section, key);
    if (!value || value->empty()) return fallback;
    return parseProfileInt(*value);
}

std::uint32_t IniFile::readUnsigned(std::string_view section, std::string_view key,
                                    std::uint32_t fallback) const {
    return static_cast<std::uint32_t>(readInt(section, key, static_cast<std::int32_t>(fallback)));
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInt(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.find(']') != npos || key.find('=') != npos || trim(key) != key || trim(section) != section)
        return false;
    std::size_t header = findSection(section);
    if (header == npos) {
        if (!lines_.empty() && !trim(lines_.back().text).empty()) lines_.push_back(classify(""));
        lines_.push_back(classify("[" + std::string(section) + "]"));
        header = lines_.size() - 1;
    }
    const std::size_t existing = findKey(header, key);
    if (existing != npos) {
        const std::string name = lines_[existing].name; // keep the spelling the file has
        lines_[existing] = classify(name + "=" + std::string(value));
        return true;
    }
    // After the last key of the section, so comments and blank lines before the next section stay there.
    std::size_t insertAt = header + 1;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) insertAt = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  classify(std::string(key) + "=" + std::string(value)));
    return true;
}

bool IniFile::writeInt(std::string_view section, std::string_view key, std::int64_t value) {
    return writeString(section, key, std::to_string(value));
}

bool IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    return writeString(section, key, value ? "1" : "0");
}

std::string IniFile::text() const {
    const std::string_view lineEnd = crlf_ ? "\r\n" : "\n";
    std::string out;
    if (byteOrderMark_) out += kByteOrderMark;
    for (const Line& line : lines_) {
        out += line.text;
        out += lineEnd;
    }
    return out;
}

bool IniFile::writeFile(const std::string& path) const {
    const std::string content = text();
    ReplacingFileWriter writer;
    return writer.open(path) && writer.write(content) && writer.commit();
}

} // namespace tovel
