// One JSON object on one line, for scripts that read the command line's --json output. Keys keep
// the order they were added in; strings are escaped so that any text (file names, the catalogue's
// texts in any language) gives valid JSON.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovel::cli {

// `text` as a JSON string literal, quotes included. Valid UTF-8 passes through unchanged; control
// characters are escaped; a byte that is not part of a valid UTF-8 sequence becomes U+FFFD, so a
// file name in a legacy encoding cannot make the line unreadable.
std::string jsonString(std::string_view text);

class JsonLine {
public:
    JsonLine& add(std::string_view key, std::string_view value);
    JsonLine& add(std::string_view key, const char* value) { return add(key, std::string_view(value)); }
    JsonLine& add(std::string_view key, const std::string& value) {
        return add(key, std::string_view(value));
    }
    JsonLine& add(std::string_view key, long long value);
    JsonLine& add(std::string_view key, int value) { return add(key, static_cast<long long>(value)); }
    JsonLine& add(std::string_view key, long value) { return add(key, static_cast<long long>(value)); }
    JsonLine& add(std::string_view key, unsigned value) { return add(key, static_cast<long long>(value)); }
    JsonLine& add(std::string_view key, std::uint64_t value) {
        return add(key, static_cast<long long>(value));
    }
    JsonLine& add(std::string_view key, bool value);
    JsonLine& addNull(std::string_view key);
    // `json` must already be valid JSON (a nested object or an array built by the caller).
    JsonLine& addRaw(std::string_view key, std::string_view json);

    // Adds every field of `other` after this object's own.
    JsonLine& append(const JsonLine& other);

    // The object, without a line end.
    std::string text() const { return body_ + "}"; }

private:
    void key(std::string_view name);

    std::string body_ = "{";
};

} // namespace tovel::cli
