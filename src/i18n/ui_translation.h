// Translation tables for window layouts: the titles and control texts of the translated dialogs and the
// texts of the main menu, in English and Russian (UTF-8). The layouts exist once; a front end retitles
// a window from these tables when it opens and again after a language change.
//
// Texts follow the menu and button convention: a single "&" marks the mnemonic letter and "&&" stands
// for a literal ampersand. Use `withoutMnemonic` where the text is shown outside a control.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/control_ids.h"
#include "i18n/messages.h"

namespace tovel::ui {

// Resource ids of the windows the tables know about.
enum DialogId : unsigned {
    MainWindowId = 102,
    ProgressWindowId = 129,
    BoardSettingsDialogId = 130,
    AboutDialogId = 132,
    ProjectSettingsDialogId = 138,
    AdvancedBoardSettingsDialogId = 139, // has no record: it stays in English in both languages
    LockFuseBitsDialogId = 140,
    LanguageDialogId = 148,
    LoadAddressDialogId = 149,
    SelfProgramDialogId = 150,
};

// Top-level menu positions that menu keys refer to (key = -position). Flash (1) and Eeprom (2) have
// no row: their titles are the same in both languages.
enum MenuPosition : int {
    ProjectMenuPosition = 0,
    FlashMenuPosition = 1,
    EepromMenuPosition = 2,
    SettingsMenuPosition = 3,
    AdvancedMenuPosition = 4,
    HelpMenuPosition = 5,
};

inline constexpr std::size_t kMaxControlsPerDialog = 100;
inline constexpr std::size_t kMenuRowCount = 44;

struct BilingualText {
    const char* english;
    const char* russian;

    const char* in(Language language) const { return language == Language::English ? english : russian; }
};

struct ControlTranslation {
    unsigned controlId; // an enumerator of the window's namespace in control_ids.h
    BilingualText text;
};

// One dialog record. A record without a title (both texts null) gives the window an empty title; the
// window's owner then sets the title itself.
struct DialogTranslation {
    unsigned dialogId;
    BilingualText title;
    std::span<const ControlTranslation> controls;

    bool hasTitle() const { return title.english != nullptr; }
};

// A key above zero is the command id of a menu item (command_ids.h); zero or less names the
// top-level entry at position -key.
struct MenuTranslation {
    int key;
    BilingualText text;
};

// The constant tables, in their fixed order.
std::span<const DialogTranslation> dialogTranslations();
std::span<const MenuTranslation> menuTranslations();

// The record of a dialog, or null when the dialog has none.
const DialogTranslation* findDialogTranslation(unsigned dialogId);

struct ControlText {
    unsigned controlId;
    std::string_view text;
};

struct DialogTexts {
    std::optional<std::string_view> title; // none: set an empty title, the owner titles the window
    std::vector<ControlText> controls;     // in table order, repeated ids kept: apply them in order
};

// What a window with this id shows in this language; none when the dialog has no record, in which
// case the window keeps its layout texts.
std::optional<DialogTexts> dialogTexts(unsigned dialogId, Language language);

struct MenuText {
    int key;
    std::string_view text;
};

// The 43 menu rows in menu order. Menu items whose key the menu lacks are to be left alone.
std::vector<MenuText> menuTexts(Language language);

constexpr bool isTopLevelMenuKey(int key) { return key <= 0; }
// Only meaningful for a top-level key.
constexpr int topLevelMenuPosition(int key) { return -key; }
// The Help entry is drawn at the right edge of the menu bar.
constexpr bool isHelpMenuKey(int key) { return key == -HelpMenuPosition; }

// The text as it reads on screen: mnemonic markers dropped, "&&" turned into "&".
std::string withoutMnemonic(std::string_view text);

} // namespace tovel::ui
