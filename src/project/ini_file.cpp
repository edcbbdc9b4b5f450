#include "project/ini_file.h"

#include <algorithm>

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

std::string lowered(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = lower(c);
    return out;
}

std::string keyIndexName(std::string_view section, std::string_view key) {
    return lowered(section) + '\n' + lowered(key);
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
    line.text = std::move(text);
    const std::string_view all = line.text;
    const auto span = [&](std::string_view part, std::uint32_t& start, std::uint32_t& length) {
        start = static_cast<std::uint32_t>(part.data() - all.data());
        length = static_cast<std::uint32_t>(part.size());
    };
    const std::string_view body = trim(all);
    if (!body.empty() && body.front() == '[') {
        const std::size_t close = body.find(']');
        if (close != npos) {
            line.kind = Kind::Section;
            span(trim(body.substr(1, close - 1)), line.nameStart, line.nameLength);
        }
    } else if (!body.empty() && body.front() != ';' && body.front() != '#') {
        const std::size_t equals = body.find('=');
        if (equals != npos) {
            const std::string_view name = trim(body.substr(0, equals));
            if (!name.empty()) {
                line.kind = Kind::Key;
                span(name, line.nameStart, line.nameLength);
                span(trim(body.substr(equals + 1)), line.valueStart, line.valueLength);
            }
        }
    }
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
    // Room for the lines a settings or project write adds, so writing does not move every line.
    const std::size_t lineCount = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 128;
    file.lines_.reserve(lineCount);
    file.order_.reserve(lineCount);

    Section* current = nullptr; // the section being read, when it is the first of its name
    std::string currentName;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == npos ? text.size() : end + 1);
        // Only a CRLF file's line end is taken off: in an LF file a CR belongs to the line, and
        // dropping it would shorten the line by one CR on every write.
        if (file.crlf_ && !raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::uint32_t id = file.addLine(std::string(raw));
        file.order_.push_back(id);
        const Line& line = file.lines_[id];
        if (line.kind == Kind::Section) {
            currentName = lowered(line.name());
            const auto [it, first] = file.sections_.try_emplace(currentName, Section{id, id});
            current = first ? &it->second : nullptr;
        } else if (line.kind == Kind::Key && current != nullptr) {
            file.keys_.try_emplace(currentName + '\n' + lowered(line.name()), id);
            current->lastKey = id;
        }
    }
    return file;
}

std::uint32_t IniFile::addLine(std::string text) {
    lines_.push_back(classify(std::move(text)));
    return static_cast<std::uint32_t>(lines_.size() - 1);
}

void IniFile::insertAfter(std::uint32_t existing, std::uint32_t added) {
    for (std::size_t i = order_.size(); i-- > 0;) {
        if (order_[i] == existing) {
            order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(i + 1), added);
            return;
        }
    }
    order_.push_back(added);
}

std::optional<IniFile> IniFile::readFile(const std::string& path) {
    TextFile read = readTextFile(path, kMaxFileSize);
    if (read.status == TextFileStatus::Missing) return IniFile();
    if (read.status != TextFileStatus::Read) return std::nullopt;
    return parse(read.content);
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const auto it = keys_.find(keyIndexName(section, key));
    if (it == keys_.end()) return std::nullopt;
    return std::string(lines_[it->second].value());
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
    auto found = sections_.find(lowered(section));
    if (found == sections_.end()) {
        if (!order_.empty() && !trim(lines_[order_.back()].text).empty()) order_.push_back(addLine(""));
        const std::uint32_t header = addLine("[" + std::string(section) + "]");
        order_.push_back(header);
        found = sections_.emplace(lowered(section), Section{header, header}).first;
    }
    const std::string indexName = keyIndexName(section, key);
    const auto existing = keys_.find(indexName);
    if (existing != keys_.end()) {
        Line& line = lines_[existing->second];
        line =
            classify(std::string(line.name()) + "=" + std::string(value)); // keeps the spelling the file has
        return true;
    }
    // After the last key of the section, so comments and blank lines before the next section stay there.
    const std::uint32_t added = addLine(std::string(key) + "=" + std::string(value));
    insertAfter(found->second.lastKey, added);
    found->second.lastKey = added;
    keys_.emplace(indexName, added);
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
    for (const std::uint32_t id : order_) {
        out += lines_[id].text;
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
