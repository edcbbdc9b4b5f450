#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/message_rows.h"
#include "i18n/messages.h"
#include "i18n/ui_translation.h"

using namespace tovel;

namespace {

std::span<const MessageRow> rows() { return {kMessageRows, kMessageRowCount}; }

// The printf conversions of a format in order, each as written ("%02X", "%%", ...). A translation
// must use exactly the same ones, or the caller's arguments are read as the wrong types.
std::vector<std::string> conversions(std::string_view format) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        std::size_t end = i + 1;
        while (end < format.size() && std::strchr("-+ #0123456789.hlLjzt", format[end]) != nullptr) ++end;
        if (end < format.size()) ++end; // the conversion letter, or the second '%'
        found.emplace_back(format.substr(i, end - i));
        i = end - 1;
    }
    return found;
}

std::string_view leadingBlanks(std::string_view text) {
    return text.substr(0, text.find_first_not_of(" \n"));
}

std::string_view trailingBlanks(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \n");
    return last == std::string_view::npos ? text : text.substr(last + 1);
}

std::size_t countOf(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size()))
        ++count;
    return count;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// Cyrillic letters are U+0400..U+04FF: lead bytes 0xD0..0xD3 in UTF-8.
bool hasCyrillic(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xD0 && byte <= 0xD3) return true;
    }
    return false;
}

// Rows whose text is a name or a number and reads the same in Russian.
const std::set<unsigned> kSameInBothLanguages = {msg::LB1, msg::LB1LB2, msg::LB1LB2LB3, msg::ComPortProbe};

} // namespace

TEST(MessageCatalogue, HoldsEveryIdOnceWithinItsRange) {
    std::set<unsigned> ids;
    std::size_t originalRows = 0; // the first 199 ids; the program's own rows follow them
    for (const MessageRow& row : rows()) {
        EXPECT_TRUE(ids.insert(row.id).second) << "duplicate id " << row.id;
        EXPECT_GE(row.id, 1001u);
        if (row.id <= 1199u) ++originalRows;
        EXPECT_NE(row.english[0], '\0') << row.id;
        EXPECT_NE(row.russian[0], '\0') << row.id;
    }
    EXPECT_EQ(ids.count(1152), 0u);
    EXPECT_EQ(originalRows, 196u);
}

TEST(MessageCatalogue, LooksUpByIdInTheLanguageOfTheFlag) {
    const char* english = message(msg::FuseSafetyWarningIntro, languageFromFlag(0));
    EXPECT_STREQ(english, "Warning: some of fuse bits you are going to program can make this device not "
                          "programmable by serial programmers or not operating under some conditions:");
    // Any non-zero flag means Russian.
    for (long flag : {1L, 2L, 255L, -1L}) {
        const char* russian = message(msg::FuseSafetyWarningIntro, languageFromFlag(flag));
        EXPECT_EQ(std::string_view(russian).rfind("Предупреждение: ", 0), 0u) << flag;
    }
    EXPECT_STREQ(message(msg::ContinueQuestion, Language::English), "\nContinue?");
    EXPECT_STREQ(message(msg::ContinueQuestion, Language::Russian), "\nПродолжить?");
    // The last row is found too.
    EXPECT_STREQ(message(msg::CannotFindHelpFile, Language::English), "Cannot find help file \"%s\".");
}

TEST(MessageCatalogue, IdsWithoutARowReadNotTranslated) {
    for (unsigned id : {1152u, 1082u, 1167u, 0u, 1000u, 9999u, 0xFFFFFFFFu}) {
        EXPECT_STREQ(message(id, Language::English), "NOT TRANSLATED") << id;
        EXPECT_STREQ(message(id, Language::Russian), "NOT TRANSLATED") << id;
    }
}

TEST(MessageCatalogue, UsesTheEstablishedRussianWording) {
    EXPECT_STREQ(message(msg::BoxCaption, Language::Russian), "Программатор Tovel/Tovel-U");
    EXPECT_STREQ(message(msg::FlashReadOK, Language::Russian), "Чтение Flash: OK");
    EXPECT_STREQ(message(msg::OperationCancelled, Language::Russian), "Действие отменено");
    EXPECT_STREQ(message(msg::PercentCompleted, Language::Russian), "%d%% завершено");
    EXPECT_STREQ(message(msg::AutoprogramOk, Language::Russian), "Автопрограммирование: ЗАВЕРШЕНО УСПЕШНО");
    EXPECT_STREQ(message(msg::UnrecognizedLockBitsCombination, Language::Russian),
                 "Предупреждение: неизвестная комбинация битов защиты. Биты защиты предполагаются "
                 "неустановленными.");
}

TEST(MessageCatalogue, RussianTextsUseTheSamePrintfConversionsInTheSameOrder) {
    for (const MessageRow& row : rows())
        EXPECT_EQ(conversions(row.russian), conversions(row.english)) << row.id << ": " << row.russian;
    // The scanner itself must see what printf sees.
    EXPECT_EQ(conversions("%d%% done, %02X-%04X %s %c"),
              (std::vector<std::string>{"%d", "%%", "%02X", "%04X", "%s", "%c"}));
}

TEST(MessageCatalogue, RussianTextsKeepBlanksLineBreaksAndAmpersands) {
    for (const MessageRow& row : rows()) {
        const std::string_view english = row.english;
        const std::string_view russian = row.russian;
        EXPECT_EQ(leadingBlanks(russian), leadingBlanks(english)) << row.id;
        EXPECT_EQ(trailingBlanks(russian), trailingBlanks(english)) << row.id;
        EXPECT_EQ(countOf(russian, "\n"), countOf(english, "\n")) << row.id;
        EXPECT_EQ(countOf(russian, "&&"), countOf(english, "&&")) << row.id;
    }
}

TEST(MessageCatalogue, EveryRowIsTranslatedIntoValidUtf8Russian) {
    for (const MessageRow& row : rows()) {
        EXPECT_TRUE(isValidUtf8(row.russian)) << row.id;
        if (kSameInBothLanguages.count(row.id) != 0) {
            EXPECT_STREQ(row.russian, row.english) << row.id;
            continue;
        }
        EXPECT_STRNE(row.russian, row.english) << row.id;
        EXPECT_TRUE(hasCyrillic(row.russian)) << row.id << ": " << row.russian;
    }
}

TEST(MessageCatalogue, RussianTextsNameMenuCommandsAsTheRussianMenuReadsThem) {
    std::string advanced, updateFirmware, searchBoard;
    for (const ui::MenuTranslation& row : ui::menuTranslations()) {
        if (row.key == -ui::AdvancedMenuPosition) advanced = ui::withoutMnemonic(row.text.russian);
        if (row.key == 32910) updateFirmware = ui::withoutMnemonic(row.text.russian);
        if (row.key == 32788) searchBoard = ui::withoutMnemonic(row.text.russian);
    }
    const std::string menuPath = "\\" + advanced + "\\" + updateFirmware;
    EXPECT_NE(std::string_view(message(msg::VersionConflictUpdateWithMenu, Language::Russian)).find(menuPath),
              std::string_view::npos)
        << menuPath;
    const std::string_view noFirmware = message(msg::ProgrammerHasNoFirmware, Language::Russian);
    EXPECT_NE(noFirmware.find("«" + advanced + "»"), std::string_view::npos);
    // Without the trailing "...": the command is named, not the menu item.
    EXPECT_NE(noFirmware.find("«" + updateFirmware.substr(0, updateFirmware.size() - 3) + "»"),
              std::string_view::npos);
    EXPECT_NE(std::string_view(message(msg::SelectComPortOrSearch, Language::Russian))
                  .find("«" + searchBoard.substr(0, searchBoard.size() - 3) + "»"),
              std::string_view::npos);
}

TEST(Messages, FormatFillsPlaceholdersInTheChosenLanguage) {
    Messages messages(Language::English);
    EXPECT_EQ(messages.format(msg::FlashVerifyErrorAtByte, 300, 300),
              "Flash verify: ERROR at byte 300 (0x12C)");
    EXPECT_EQ(messages.format(msg::SignatureNamed, 0x1E, 0x93, 0x07, "ATmega8"),
              "Signature: 1E 93 07 - ATmega8");
    messages.setLanguage(languageFromFlag(1));
    EXPECT_EQ(messages.format(msg::PercentCompleted, 42), "42% завершено");
    EXPECT_EQ(messages.format(msg::BoardOnComPort, "Tovel-U 2.05", 3), "Tovel-U 2.05 на COM3");
    EXPECT_EQ(messages.format(msg::CurrentAndUpdateVersion, 'T', 'V', 'L', '2', '0', '4', 'T', 'V', 'L', '2',
                              '0', '5'),
              "Текущая версия прошивки: TVL 2.04\nВерсия для обновления: TVL 2.05\nОбновить сейчас?");
    EXPECT_STREQ(messages.text(msg::Warning), "Предупреждение");
}

TEST(Messages, FormatKeepsTextsLongerThanItsFirstBuffer) {
    const std::string path = "/home/user/" + std::string(600, 'p') + ".tvl";
    const Messages russian(Language::Russian);
    const std::string filled = russian.format(msg::ErrorReadingProjectFile, path.c_str());
    EXPECT_EQ(filled, "Ошибка чтения файла проекта «" + path + "»");
    EXPECT_EQ(russian.format(msg::Searching), "Поиск...");
}
