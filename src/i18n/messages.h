// Message lookup by id in the current language, with printf-style filling.
#pragma once

#include <cstdarg>
#include <string>

#include "i18n/diagnosis_message_ids.h"
#include "i18n/message_ids.h"

namespace tovel {

enum class Language : unsigned char { English = 0, Russian = 1 };

// Any non-zero stored flag means Russian.
inline Language languageFromFlag(long flag) { return flag != 0 ? Language::Russian : Language::English; }
inline int flagFromLanguage(Language language) { return language == Language::Russian ? 1 : 0; }

// The text of the row with this id, or "NOT TRANSLATED" when there is none. Never null.
const char* message(unsigned id, Language language);

// printf semantics on a format that comes from the catalogue (not a literal).
std::string formatText(const char* format, ...);
std::string formatTextV(const char* format, std::va_list args);

// The language a front end has chosen, and lookups in it.
class Messages {
public:
    explicit Messages(Language language = Language::English) : language_(language) {}

    Language language() const { return language_; }
    void setLanguage(Language language) { language_ = language; }

    const char* text(unsigned id) const { return message(id, language_); }
    std::string format(unsigned id, ...) const;

private:
    Language language_;
};

} // namespace tovel
