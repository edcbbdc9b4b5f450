#include "i18n/ui_translation.h"

#include <array>

namespace tovel::ui {
namespace {

constexpr BilingualText kNoTitle{nullptr, nullptr};

constexpr ControlTranslation kProjectSettingsControls[] = {
    {1030, {"Enable data polling", "Включить опрос готовности"}},
    {1036, {"Auto check signature", "Автоматически проверять сигнатуру"}},
    {1096, {"Disable Synchronization", "Отключить синхронизацию"}},
    {1097, {"Write only changed data", "Записывать только измененные данные"}},
    {1063, {"Erase Chip", "Стереть микросхему"}},
    {1069, {"Blank Check", "Проверить на чистоту"}},
    {1060, {"Reload", "Перезагрузить файл"}},
    {1061, {"Program", "Программировать"}},
    {1062, {"Verify", "Проверить"}},
    {1064, {"Reload", "Перезагрузить файл"}},
    {1065, {"Program", "Программировать"}},
    {1066, {"Verify", "Проверить"}},
    {1117, {"SCK Settings", "Настройки SCK"}},
    {1116, {"Programming Settings", "Настройки программирования"}},
    {1119, {"Autoprogram Settings", "Настройки автопрограммирования"}},
    {1120, {"General", "Общие"}},
    {1121, {"Flash", "Flash"}},
    {1122, {"Eeprom", "Eeprom"}},
    {2, {"&Cancel", "&Отмена"}},
    {1124, {"Autoincrement", "Автоинкремент"}},
    {1118, {"Reset strobe length", "Длительность импульса сброса"}},
    {1123, {"Lock and Fuse Bits", "Биты защиты и fuse-биты"}},
    {1144, {"Autoprogram", "Включить в автопрограммирование"}},
    {3, {"Configure...", "Настроить..."}},
    {1126, {"Device:", "Микросхема:"}},
    {1125, {"Delays overriring", "Переопределение задержек"}},
    {1140, {"Flash BYTE", "Flash (байт)"}},
    {1141, {"Flash PAGE", "Flash (страница)"}},
    {1147, {"Eeprom BYTE", "Eeprom (байт)"}},
    {1149, {"Eeprom PAGE", "Eeprom (страница)"}},
    {1146, {"Clock SPI", "Тактирование SPI"}},
};

constexpr ControlTranslation kBoardSettingsControls[] = {
    {1113, {"Communication port", "Порт связи"}},
    {1114, {"Baud rate", "Скорость обмена"}},
    {1055, {"Low speed (19200 baud)", "Низкая скорость (19200 бод)"}},
    {1054, {"Standard speed (115200 baud)", "Стандартная скорость (115200 бод)"}},
    {1060, {"High speed (921600 baud, Tovel-U only)", "Высокая скорость (921600 бод, только Tovel-U)"}},
    {2, {"Cancel", "Отмена"}},
};

// The last four lines replace the maker's address block: they name this program, its licence and the
// labels of the project-page and contact links, whose targets the About box fills in itself.
constexpr ControlTranslation kAboutControls[] = {
    {1104, {"Tovel/Tovel-U In-System Programmer", "Внутрисхемный программатор Tovel/Tovel-U"}},
    {1107, {"Version 11.01, August 2005", "Версия 11.01, август 2005"}},
    {1105, {"For Windows 98/2000/XP", "Для Windows 98/2000/XP"}},
    {1111, {"Last version:", "Последняя версия:"}},
    {1106, {"tovelisp - free software", "tovelisp - свободная программа"}},
    {1108, {"Licence: GNU GPL 3.0 or later", "Лицензия: GNU GPL 3.0 или более поздняя версия"}},
    {1109, {"Project page:", "Страница проекта:"}},
    {1110, {"Contact:", "Контакты:"}},
};

constexpr ControlTranslation kLanguageControls[] = {
    {2, {"Cancel", "Отмена"}},
    {1104, {"Language", "Язык"}},
    {EnglishRadioId, {"English/Английский", "English/Английский"}},
    {RussianRadioId, {"Russian/Русский", "Russian/Русский"}},
};

constexpr ControlTranslation kMainWindowControls[] = {
    {1079, {"Device", "Микросхема"}},
    {1009, {"Program Flash", "Программировать Flash"}},
    {1013, {"Read Flash", "Прочитать Flash"}},
    {1010, {"Verify Flash", "Проверить Flash"}},
    {1011, {"Program Eeprom", "Программировать Eeprom"}},
    {1014, {"Read Eeprom", "Прочитать Eeprom"}},
    {1012, {"Verify Eeprom", "Проверить Eeprom"}},
    {1015, {"Autoprogram", "Автопрограммирование"}},
    {1103, {"Read signature", "Прочитать сигнатуру"}},
    {1008, {"Chip erase", "Стереть микросхему"}},
    {32779, {"Blank check", "Проверить на чистоту"}},
};

constexpr ControlTranslation kProgressControls[] = {
    {2, {"Cancel", "Отмена"}},
};

constexpr ControlTranslation kLockFuseBitsControls[] = {
    {1114, {"Lock Bits", "Биты защиты"}},
    {1115, {"Fuse Bits", "Fuse-биты"}},
    {1134, {"Boot Lock Bits", "Биты защиты загрузчика"}},
    {1132, {"Program", "Программировать"}},
    {3, {"Read", "Прочитать"}},
    {4, {"Verify", "Проверить"}},
    {5, {"Chip Erase", "Стереть микросхему"}},
    {2, {"Close without saving", "Закрыть без сохранения"}},
    {1160, {"Close and save settings", "Сохранить и закрыть"}},
    {1138,
     {"A button is pressed if the fuse bit is programmed",
      "Нажатая кнопка означает запрограммированный fuse-бит"}},
};

constexpr ControlTranslation kLoadAddressControls[] = {
    {2, {"Cancel", "Отмена"}},
    {1131, {"Address", "Адрес"}},
    {1129, {"Decimal", "Десятичный"}},
    {1130, {"Hexadecimal", "Шестнадцатеричный"}},
};

// The version fields 1155 and 1157 appear twice: cleared first, then set to "-". The dialog fills
// them with the real versions after retitling.
constexpr ControlTranslation kSelfProgramControls[] = {
    {1153, {"Settings", "Настройки"}},
    {1154, {"Current version", "Текущая версия"}},
    {1156, {"New version", "Новая версия"}},
    {1155, {"", ""}},
    {1157, {"", ""}},
    {1158, {"Program at normal speed", "Программировать на обычной скорости"}},
    {1159, {"Program at reduced speed", "Программировать на пониженной скорости"}},
    {1155, {"-", "-"}},
    {1157, {"-", "-"}},
    {1, {"Update", "Обновить"}},
    {2, {"Cancel", "Отмена"}},
};

constexpr DialogTranslation kDialogs[] = {
    {ProjectSettingsDialogId, {"Project Settings", "Настройки проекта"}, kProjectSettingsControls},
    {BoardSettingsDialogId, {"Board Settings", "Настройки платы"}, kBoardSettingsControls},
    {AboutDialogId, {"About", "О программе"}, kAboutControls},
    {LanguageDialogId, {"Language", "Язык"}, kLanguageControls},
    {MainWindowId, kNoTitle, kMainWindowControls},
    {ProgressWindowId, kNoTitle, kProgressControls},
    {LockFuseBitsDialogId, kNoTitle, kLockFuseBitsControls},
    {LoadAddressDialogId, {"Load Address", "Загрузить по адресу"}, kLoadAddressControls},
    {SelfProgramDialogId, {"Self-Program Settings", "Настройки обновления версии"}, kSelfProgramControls},
};

constexpr bool everyRecordFitsItsCapacity() {
    for (const DialogTranslation& dialog : kDialogs) {
        if (dialog.controls.size() > kMaxControlsPerDialog) return false;
    }
    return true;
}
static_assert(everyRecordFitsItsCapacity());

// Mnemonics are unique within each popup and across the top-level entries.
constexpr MenuTranslation kMenu[] = {
    {-ProjectMenuPosition, {"&Project", "&Проект"}},
    {32784, {"&New", "&Новый"}},
    {32780, {"&Open...", "&Открыть..."}},
    {32783, {"&Reload", "&Перезагрузить"}},
    {32781, {"&Save", "&Сохранить"}},
    {32782, {"Save &As...", "Сохранить &как..."}},
    {32792, {"&Close", "&Закрыть"}},
    {1015, {"Auto-&Program", "&Автопрограммирование"}},
    {32911, {"Pro&duction...", "П&роизводство..."}},
    {32800, {"Recent Projects", "Последние проекты"}},
    {1056, {"&Exit", "&Выход"}},
    {1006, {"&Load...", "&Загрузить..."}},
    {32908, {"Load A&t...", "Загрузить по &адресу..."}},
    {32790, {"&Reload...", "&Перезагрузить..."}},
    {32776, {"Save", "Сохранить"}},
    {32774, {"Save &As...", "Сохранить &как..."}},
    {32771, {"Close", "Закрыть"}},
    {1009, {"&Program", "Про&граммировать"}},
    {1010, {"&Verify", "Про&верить"}},
    {1013, {"&Read", "Про&читать"}},
    {1007, {"&Load...", "&Загрузить..."}},
    {32909, {"Load &At...", "Загрузить по &адресу..."}},
    {32791, {"&Reload...", "&Перезагрузить..."}},
    {32772, {"Save", "Сохранить"}},
    {32775, {"Save &As...", "Сохранить &как..."}},
    {32773, {"Close", "Закрыть"}},
    {1011, {"&Program", "Про&граммировать"}},
    {1012, {"&Verify", "Про&верить"}},
    {1014, {"&Read", "Про&читать"}},
    {-SettingsMenuPosition, {"&Settings", "&Настройки"}},
    {32795, {"&Project Settings...", "Настройки &проекта..."}},
    {1016, {"&Lock&&Fuse Bits...", "&Биты защиты и fuse-биты..."}},
    {32785, {"&Board Settings...", "Настройки п&латы..."}},
    {32907, {"Select &Language...", "Выбор &языка..."}},
    {-AdvancedMenuPosition, {"&Advanced", "&Дополнительно"}},
    {32779, {"&Empty Check...", "Проверка на &чистоту..."}},
    {32777, {"&Read Signature...", "Прочитать &сигнатуру..."}},
    {32904, {"Read &Calibration Bytes...", "Прочитать &калибровочные байты..."}},
    {32788, {"Search &Board...", "&Поиск платы..."}},
    {32901, {"&Tovel/Tovel-U Info...", "&Информация о Tovel/Tovel-U..."}},
    {32910, {"&Update firmware version...", "&Обновить версию прошивки..."}},
    {-HelpMenuPosition, {"&Help", "&Справка"}},
    {32789, {"&Help", "Вызов &справки"}},
    {16, {"&About", "&О программе"}},
};
static_assert(std::size(kMenu) == kMenuRowCount);

} // namespace

std::span<const DialogTranslation> dialogTranslations() { return kDialogs; }

std::span<const MenuTranslation> menuTranslations() { return kMenu; }

const DialogTranslation* findDialogTranslation(unsigned dialogId) {
    for (const DialogTranslation& dialog : kDialogs) {
        if (dialog.dialogId == dialogId) return &dialog;
    }
    return nullptr;
}

std::optional<DialogTexts> dialogTexts(unsigned dialogId, Language language) {
    const DialogTranslation* record = findDialogTranslation(dialogId);
    if (record == nullptr) return std::nullopt;
    DialogTexts texts;
    if (record->hasTitle()) texts.title = record->title.in(language);
    texts.controls.reserve(record->controls.size());
    for (const ControlTranslation& control : record->controls)
        texts.controls.push_back({control.controlId, control.text.in(language)});
    return texts;
}

std::vector<MenuText> menuTexts(Language language) {
    std::vector<MenuText> rows;
    rows.reserve(kMenuRowCount);
    for (const MenuTranslation& row : kMenu) rows.push_back({row.key, row.text.in(language)});
    return rows;
}

std::string withoutMnemonic(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            shown += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            shown += '&';
            ++i;
        }
    }
    return shown;
}

} // namespace tovel::ui
