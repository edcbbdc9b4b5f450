// A small JSON syntax check for the command line's --json output: one value, nothing after it,
// strings with valid escapes and no raw control characters. Enough to catch a broken line.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace tovel::test {

class JsonSyntax {
public:
    static bool valid(std::string_view text) {
        JsonSyntax parser(text);
        return parser.value() && (parser.skipSpace(), parser.at_ == text.size());
    }

private:
    explicit JsonSyntax(std::string_view text) : text_(text) {}

    bool more() const { return at_ < text_.size(); }
    char peek() const { return more() ? text_[at_] : '\0'; }
    void skipSpace() {
        while (more() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) ++at_;
    }
    bool literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool value() {
        skipSpace();
        switch (peek()) {
        case '{':
            return object();
        case '[':
            return array();
        case '"':
            return string();
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }

    bool object() {
        ++at_;
        skipSpace();
        if (peek() == '}') return ++at_, true;
        for (;;) {
            skipSpace();
            if (peek() != '"' || !string()) return false;
            skipSpace();
            if (peek() != ':') return false;
            ++at_;
            if (!value()) return false;
            skipSpace();
            if (peek() == '}') return ++at_, true;
            if (peek() != ',') return false;
            ++at_;
        }
    }

    bool array() {
        ++at_;
        skipSpace();
        if (peek() == ']') return ++at_, true;
        for (;;) {
            if (!value()) return false;
            skipSpace();
            if (peek() == ']') return ++at_, true;
            if (peek() != ',') return false;
            ++at_;
        }
    }

    bool string() {
        ++at_;
        while (more()) {
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') continue;
            if (!more()) return false;
            const char escaped = text_[at_++];
            if (escaped == 'u') {
                for (int k = 0; k < 4; ++k)
                    if (!more() || std::isxdigit(static_cast<unsigned char>(text_[at_++])) == 0) return false;
            } else if (std::string_view("\"\\/bfnrt").find(escaped) == std::string_view::npos) {
                return false;
            }
        }
        return false;
    }

    bool number() {
        const std::size_t start = at_;
        if (peek() == '-') ++at_;
        if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
        if (peek() == '0')
            ++at_;
        else
            while (std::isdigit(static_cast<unsigned char>(peek()))) ++at_;
        if (peek() == '.') {
            ++at_;
            if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
            while (std::isdigit(static_cast<unsigned char>(peek()))) ++at_;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') ++at_;
            if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
            while (std::isdigit(static_cast<unsigned char>(peek()))) ++at_;
        }
        return at_ > start;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace tovel::test
