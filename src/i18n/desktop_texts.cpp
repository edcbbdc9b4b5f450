#include "i18n/desktop_texts.h"

#include <array>
#include <utility>

namespace tovel::ui {

namespace {

struct Row {
    DesktopText id;
    const char* english;
    const char* russian;
};

constexpr std::array kRows = {
    Row{DesktopText::MessagesMenuItem, "&Messages", "&Сообщения"},
    Row{DesktopText::MessagesPanelTitle, "Messages", "Сообщения"},
    Row{DesktopText::CopyAll, "&Copy all", "&Копировать все"},
    Row{DesktopText::SaveAsText, "&Save as text...", "Со&хранить как текст..."},
    Row{DesktopText::TextFilesFilter, "Text files (*.txt)", "Текстовые файлы (*.txt)"},
    Row{DesktopText::AllFilesFilter, "All Files (*)", "Все файлы (*)"},
    Row{DesktopText::HexFilesFilter, "HEX Files (*.hex)", "Файлы HEX (*.hex)"},
    Row{DesktopText::EepFilesFilter, "EEP Files (*.eep)", "Файлы EEP (*.eep)"},
    Row{DesktopText::BinFilesFilter, "BIN Files (*.bin)", "Файлы BIN (*.bin)"},
    Row{DesktopText::ProjectFilesFilter, "Tovel/Tovel-U Projects (*.tvl)", "Проекты Tovel/Tovel-U (*.tvl)"},
    Row{DesktopText::HelpWindowTitle, "Help", "Справка"},
    Row{DesktopText::HelpContents, "Contents", "Содержание"},
    Row{DesktopText::HelpSearch, "Search:", "Поиск:"},
    Row{DesktopText::HelpFindNext, "Find &next", "&Найти далее"},
    Row{DesktopText::HelpNotFound, "Not found", "Не найдено"},
    Row{DesktopText::FlashPreviewName, "Flash image", "Образ Flash"},
    Row{DesktopText::EepromPreviewName, "EEPROM image", "Образ EEPROM"},
    Row{DesktopText::FamilyListName, "Chip family", "Семейство микросхем"},
    Row{DesktopText::DeviceListName, "Chip", "Микросхема"},
    Row{DesktopText::SckListName, "SCK period", "Период SCK"},
    Row{DesktopText::StatusLineName, "Status line (click for the project settings)",
        "Строка состояния (щелчок открывает настройки проекта)"},
    Row{DesktopText::FlashFileName, "Flash file", "Файл Flash"},
    Row{DesktopText::EepromFileName, "EEPROM file", "Файл EEPROM"},
    Row{DesktopText::PreviewCursor, "Address 0x%06X, value 0x%02X, %s", "Адрес 0x%06X, значение 0x%02X, %s"},
    Row{DesktopText::ByteLoaded, "as loaded", "как загружен"},
    Row{DesktopText::ByteSaved, "as saved", "как сохранен"},
    Row{DesktopText::ByteProgrammed, "programmed", "запрограммирован"},
    Row{DesktopText::ByteVerified, "verified equal", "проверен, совпадает"},
    Row{DesktopText::ByteReadFromChip, "read from the chip", "прочитан из микросхемы"},
    Row{DesktopText::ByteNotConfirmed, "not confirmed", "не подтвержден"},
    Row{DesktopText::ByteChanged, "changed in memory", "изменен в памяти"},
    Row{DesktopText::MessagesLogName, "Messages so far", "Сообщения за сеанс"},
    Row{DesktopText::AboutVersion, "Version %s", "Версия %s"},
    Row{DesktopText::AboutFirmwareVersion, "Needs board firmware %s", "Требуется прошивка платы %s"},
    Row{DesktopText::AboutManual, "User manual", "Руководство пользователя"},
    Row{DesktopText::AboutHomePage, "Home page", "Домашняя страница"},
    Row{DesktopText::AboutMail, "Mail", "Почта"},
    Row{DesktopText::AboutReleases, "Releases", "Выпуски"},
    Row{DesktopText::Milliseconds, "ms", "мс"},
    Row{DesktopText::Microseconds, "uS", "мкс"},
    Row{DesktopText::Megahertz, "MHz", "МГц"},
    Row{DesktopText::Kilohertz, "kHz", "кГц"},
};

} // namespace

const char* desktopText(DesktopText id, Language language) {
    for (const Row& row : kRows)
        if (row.id == id) return language == Language::English ? row.english : row.russian;
    return "NOT TRANSLATED";
}

} // namespace tovel::ui
