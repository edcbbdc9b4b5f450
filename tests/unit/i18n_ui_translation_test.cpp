#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/ui_translation.h"

using namespace tovel;
using namespace tovel::ui;

namespace {

// Applies a record the way a window does: entries in order, a later entry for the same control wins.
std::map<unsigned, std::string> applied(const DialogTexts& texts) {
    std::map<unsigned, std::string> shown;
    for (const ControlText& control : texts.controls) shown[control.controlId] = control.text;
    return shown;
}

// The mnemonic letter (its UTF-8 sequence, lower-cased for ASCII), or empty when there is none.
std::string mnemonicOf(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const auto lead = static_cast<unsigned char>(text[i + 1]);
        if (lead < 0x80) return std::string(1, static_cast<char>(std::tolower(lead)));
        std::string letter = std::string(text.substr(i + 1, 2)); // Cyrillic: two bytes
        // Fold upper-case Cyrillic to lower case: U+0410..U+042F -> U+0430..U+044F.
        const auto second = static_cast<unsigned char>(letter[1]);
        if (lead == 0xD0 && second >= 0x90 && second <= 0x9F) letter[1] = static_cast<char>(second + 0x20);
        if (lead == 0xD0 && second >= 0xA0 && second <= 0xAF) {
            letter[0] = static_cast<char>(0xD1);
            letter[1] = static_cast<char>(second - 0x20);
        }
        return letter;
    }
    return {};
}

std::size_t mnemonicCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (i + 1 < text.size() && text[i + 1] == '&')
            ++i;
        else
            ++count;
    }
    return count;
}

} // namespace

TEST(UiTranslationDialogs, NineRecordsWithinCapacityAndNoneForAdvancedBoardSettings) {
    std::vector<unsigned> ids;
    for (const DialogTranslation& dialog : dialogTranslations()) {
        ids.push_back(dialog.dialogId);
        EXPECT_LE(dialog.controls.size(), kMaxControlsPerDialog);
        EXPECT_FALSE(dialog.controls.empty());
        EXPECT_EQ(dialog.hasTitle(), dialog.title.russian != nullptr) << dialog.dialogId;
    }
    EXPECT_EQ(ids, (std::vector<unsigned>{138, 130, 132, 148, 102, 129, 140, 149, 150}));

    EXPECT_EQ(findDialogTranslation(AdvancedBoardSettingsDialogId), nullptr);
    EXPECT_FALSE(dialogTexts(AdvancedBoardSettingsDialogId, Language::Russian).has_value());
    EXPECT_FALSE(dialogTexts(0, Language::English).has_value());
}

TEST(UiTranslationDialogs, TitlesInBothLanguagesAndAbsentWhereTheOwnerTitlesTheWindow) {
    const std::map<unsigned, std::pair<std::string, std::string>> titled = {
        {138, {"Project Settings", "Настройки проекта"}},
        {130, {"Board Settings", "Настройки платы"}},
        {132, {"About", "О программе"}},
        {148, {"Language", "Язык"}},
        {149, {"Load Address", "Загрузить по адресу"}},
        {150, {"Self-Program Settings", "Настройки обновления версии"}},
    };
    for (const auto& [id, title] : titled) {
        EXPECT_EQ(dialogTexts(id, Language::English)->title, title.first) << id;
        EXPECT_EQ(dialogTexts(id, Language::Russian)->title, title.second) << id;
    }
    for (unsigned id : {102u, 129u, 140u}) {
        for (Language language : {Language::English, Language::Russian}) {
            const auto texts = dialogTexts(id, language);
            ASSERT_TRUE(texts.has_value()) << id;
            EXPECT_FALSE(texts->title.has_value()) << id;
        }
    }
}

TEST(UiTranslationDialogs, ControlsInTableOrderInTheChosenLanguage) {
    const auto english = dialogTexts(MainWindowId, Language::English);
    const auto russian = dialogTexts(MainWindowId, Language::Russian);
    ASSERT_EQ(english->controls.size(), 11u);
    ASSERT_EQ(russian->controls.size(), 11u);
    EXPECT_EQ(english->controls.front().controlId, 1079u);
    EXPECT_EQ(english->controls.front().text, "Device");
    EXPECT_EQ(english->controls.back().controlId, 32779u);
    EXPECT_EQ(english->controls.back().text, "Blank check");
    EXPECT_EQ(applied(*russian).at(1009), "Программировать Flash");
    EXPECT_EQ(applied(*english).at(1014), "Read Eeprom");

    const auto board = applied(*dialogTexts(BoardSettingsDialogId, Language::Russian));
    EXPECT_EQ(board.at(1060), "Высокая скорость (921600 бод, только Tovel-U)");
    const auto language = applied(*dialogTexts(LanguageDialogId, Language::Russian));
    EXPECT_EQ(language.at(languageDialog::EnglishRadioId), "English/Английский");
    EXPECT_EQ(language.at(languageDialog::RussianRadioId), "Russian/Русский");
}

TEST(UiTranslationDialogs, SelfProgramVersionFieldsAreClearedThenEndWithADash) {
    for (Language language : {Language::English, Language::Russian}) {
        const auto texts = dialogTexts(SelfProgramDialogId, language);
        ASSERT_EQ(texts->controls.size(), 11u);
        std::vector<std::string_view> field1155, field1157;
        for (const ControlText& control : texts->controls) {
            if (control.controlId == 1155) field1155.push_back(control.text);
            if (control.controlId == 1157) field1157.push_back(control.text);
        }
        EXPECT_EQ(field1155, (std::vector<std::string_view>{"", "-"}));
        EXPECT_EQ(field1157, (std::vector<std::string_view>{"", "-"}));
        EXPECT_EQ(applied(*texts).at(1155), "-");
        EXPECT_EQ(applied(*texts).at(1157), "-");
    }
}

TEST(UiTranslationDialogs, AboutNamesThisProgramItsLicenceAndItsLinks) {
    for (Language language : {Language::English, Language::Russian}) {
        const auto about = applied(*dialogTexts(AboutDialogId, language));
        for (unsigned id : {1104u, 1105u, 1106u, 1107u, 1108u, 1109u, 1110u, 1111u})
            EXPECT_FALSE(about.at(id).empty()) << id;
        EXPECT_NE(about.at(1106).find("tovelisp"), std::string::npos);
        EXPECT_NE(about.at(1108).find("GNU GPL 3.0"), std::string::npos);
    }
    const auto english = applied(*dialogTexts(AboutDialogId, Language::English));
    EXPECT_EQ(english.at(1107), "Version 11.01, August 2005");
    EXPECT_EQ(english.at(1108), "Licence: GNU GPL 3.0 or later");
    EXPECT_EQ(english.at(1109), "Project page:");
    EXPECT_EQ(english.at(1110), "Contact:");
}

TEST(UiTranslationDialogs, RussianControlTextsAreTranslatedAndKeepTheirMnemonics) {
    // Names, bilingual radio captions and the version-field fillers read the same in both languages.
    const std::set<std::pair<unsigned, unsigned>> same = {{138, 1121}, {138, 1122}, {148, 1125},
                                                          {148, 1126}, {150, 1155}, {150, 1157}};
    for (const DialogTranslation& dialog : dialogTranslations()) {
        if (dialog.hasTitle()) {
            EXPECT_STRNE(dialog.title.english, dialog.title.russian);
        }
        for (const ControlTranslation& control : dialog.controls) {
            const std::string_view english = control.text.english;
            const std::string_view russian = control.text.russian;
            EXPECT_EQ(mnemonicCount(russian), mnemonicCount(english))
                << dialog.dialogId << "/" << control.controlId;
            if (same.count({dialog.dialogId, control.controlId}) != 0) {
                EXPECT_EQ(russian, english);
            } else {
                EXPECT_NE(russian, english) << dialog.dialogId << "/" << control.controlId;
            }
        }
    }
}

TEST(UiTranslationMenu, FortyFourRowsWithTopLevelKeysForProjectSettingsAdvancedAndHelp) {
    const auto english = menuTexts(Language::English);
    const auto russian = menuTexts(Language::Russian);
    ASSERT_EQ(english.size(), kMenuRowCount);
    ASSERT_EQ(russian.size(), kMenuRowCount);
    EXPECT_EQ(kMenuRowCount, 44u);

    std::vector<int> topLevel;
    std::set<int> keys;
    for (std::size_t i = 0; i < russian.size(); ++i) {
        EXPECT_EQ(russian[i].key, english[i].key);
        EXPECT_TRUE(keys.insert(russian[i].key).second) << "key " << russian[i].key << " twice";
        if (isTopLevelMenuKey(russian[i].key)) topLevel.push_back(topLevelMenuPosition(russian[i].key));
    }
    // Flash and Eeprom (positions 1 and 2) keep their titles: no rows.
    EXPECT_EQ(topLevel, (std::vector<int>{0, 3, 4, 5}));

    EXPECT_EQ(russian.front().key, 0);
    EXPECT_EQ(withoutMnemonic(russian.front().text), "Проект");
    EXPECT_EQ(english.front().text, "&Project");
    EXPECT_EQ(english.back().key, 16);
    EXPECT_EQ(english.back().text, "&About");
    EXPECT_EQ(english[31].key, 1016);
    EXPECT_EQ(english[31].text, "&Lock&&Fuse Bits...");
}

TEST(UiTranslationMenu, OnlyTheHelpEntryIsRightAligned) {
    int helpRows = 0;
    for (const MenuTranslation& row : menuTranslations()) {
        if (!isHelpMenuKey(row.key)) continue;
        ++helpRows;
        EXPECT_TRUE(isTopLevelMenuKey(row.key));
        EXPECT_EQ(topLevelMenuPosition(row.key), 5);
        EXPECT_STREQ(row.text.russian, "&Справка");
    }
    EXPECT_EQ(helpRows, 1);
    EXPECT_FALSE(isHelpMenuKey(32789)); // the Help item inside the Help popup
    EXPECT_FALSE(isTopLevelMenuKey(16));
    EXPECT_TRUE(isTopLevelMenuKey(0));
}

TEST(UiTranslationMenu, RussianMnemonicsAreKeptAndUniqueWithinEachPopup) {
    const auto rows = menuTranslations();
    for (const MenuTranslation& row : rows) {
        EXPECT_EQ(mnemonicCount(row.text.russian), mnemonicCount(row.text.english)) << row.key;
        EXPECT_STRNE(row.text.russian, row.text.english) << row.key;
    }
    // Popups by row range: Project items, Flash, Eeprom, Settings, Advanced, Help; and the menu bar.
    const std::vector<std::pair<std::size_t, std::size_t>> popups = {{1, 11},  {11, 20}, {20, 29},
                                                                     {30, 34}, {35, 41}, {42, 44}};
    for (const auto& [first, end] : popups) {
        std::set<std::string> letters;
        for (std::size_t i = first; i < end; ++i) {
            const std::string letter = mnemonicOf(rows[i].text.russian);
            if (!letter.empty()) {
                EXPECT_TRUE(letters.insert(letter).second) << rows[i].text.russian;
            }
        }
    }
    std::set<std::string> bar = {"f", "e"}; // Flash and Eeprom keep their English titles
    for (const MenuTranslation& row : rows) {
        if (isTopLevelMenuKey(row.key)) {
            EXPECT_TRUE(bar.insert(mnemonicOf(row.text.russian)).second);
        }
    }
}

TEST(UiTranslationText, WithoutMnemonicShowsTheTextAsOnScreen) {
    EXPECT_EQ(withoutMnemonic("&Lock&&Fuse Bits..."), "Lock&Fuse Bits...");
    EXPECT_EQ(withoutMnemonic("LB1+LB2: R&&W protect"), "LB1+LB2: R&W protect");
    EXPECT_EQ(withoutMnemonic("Про&граммировать"), "Программировать");
    EXPECT_EQ(withoutMnemonic("&&&x"), "&x");
    EXPECT_EQ(withoutMnemonic("trailing&"), "trailing");
    EXPECT_EQ(withoutMnemonic(""), "");
}
