#include "i18n/messages.h"

#include <cstdio>
#include <vector>

#include "i18n/message_rows.h"

namespace tovel {

const char* message(unsigned id, Language language) {
    for (std::size_t i = 0; i < kMessageRowCount; ++i) {
        if (kMessageRows[i].id == id)
            return language == Language::English ? kMessageRows[i].english : kMessageRows[i].russian;
    }
    for (std::size_t i = 0; i < kDiagnosisMessageRowCount; ++i) {
        const MessageRow& row = kDiagnosisMessageRows[i];
        if (row.id == id) return language == Language::English ? row.english : row.russian;
    }
    return "NOT TRANSLATED";
}

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
std::string formatTextV(const char* format, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    char small[512];
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) return std::string();
    if (static_cast<std::size_t>(needed) < sizeof small)
        return std::string(small, static_cast<std::size_t>(needed));
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, args);
    return std::string(large.data(), static_cast<std::size_t>(needed));
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

std::string formatText(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return text;
}

std::string Messages::format(unsigned id, ...) const {
    std::va_list args;
    va_start(args, id);
    std::string filled = formatTextV(text(id), args);
    va_end(args);
    return filled;
}

} // namespace tovel
