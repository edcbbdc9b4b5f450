#include "i18n/ui_translation.h"

#include <array>

#include "i18n/command_ids.h"
#include "i18n/control_ids.h"

namespace tovel::ui {
namespace {

constexpr BilingualText kNoTitle{nullptr, nullptr};

constexpr ControlTranslation kProjectSettingsControls[] = {
    {projectSettingsDialog::PollingId, {"Enable data polling", "Включить опрос готовности"}},
    {projectSettingsDialog::CheckSignatureId, {"Auto check signature", "Автоматически проверять сигнатуру"}},
    {projectSettingsDialog::NoSynchronizationId, {"Disable Synchronization", "Отключить синхронизацию"}},
    {projectSettingsDialog::WriteChangedOnlyId,
     {"Write only changed data", "Записывать только измененные данные"}},
    {projectSettingsDialog::AutoEraseId, {"Erase Chip", "Стереть микросхему"}},
    {projectSettingsDialog::AutoBlankCheckId, {"Blank Check", "Проверить на чистоту"}},
    {projectSettingsDialog::AutoFlashReloadId, {"Reload", "Перезагрузить файл"}},
    {projectSettingsDialog::AutoFlashProgramId, {"Program", "Программировать"}},
    {projectSettingsDialog::AutoFlashVerifyId, {"Verify", "Проверить"}},
    {projectSettingsDialog::AutoEepromReloadId, {"Reload", "Перезагрузить файл"}},
    {projectSettingsDialog::AutoEepromProgramId, {"Program", "Программировать"}},
    {projectSettingsDialog::AutoEepromVerifyId, {"Verify", "Проверить"}},
    {projectSettingsDialog::SckGroupId, {"SCK Settings", "Настройки SCK"}},
    {projectSettingsDialog::ProgrammingGroupId, {"Programming Settings", "Настройки программирования"}},
    {projectSettingsDialog::AutoProgramGroupId, {"Autoprogram Settings", "Настройки автопрограммирования"}},
    {projectSettingsDialog::GeneralGroupId, {"General", "Общие"}},
    {projectSettingsDialog::FlashGroupId, {"Flash", "Flash"}},
    {projectSettingsDialog::EepromGroupId, {"Eeprom", "Eeprom"}},
    {projectSettingsDialog::CancelId, {"&Cancel", "&Отмена"}},
    {projectSettingsDialog::AutoIncrementGroupId, {"Autoincrement", "Автоинкремент"}},
    {projectSettingsDialog::StrobeGroupId, {"Reset strobe length", "Длительность импульса сброса"}},
    {projectSettingsDialog::LockFuseGroupId, {"Lock and Fuse Bits", "Биты защиты и fuse-биты"}},
    {projectSettingsDialog::ProgramFusesId, {"Autoprogram", "Включить в автопрограммирование"}},
    {projectSettingsDialog::ConfigureId, {"Configure...", "Настроить..."}},
    {projectSettingsDialog::DeviceLabelId, {"Device:", "Микросхема:"}},
    {projectSettingsDialog::DelaysGroupId, {"Delays overriring", "Переопределение задержек"}},
    {projectSettingsDialog::FlashByteOverrideId, {"Flash BYTE", "Flash (байт)"}},
    {projectSettingsDialog::FlashPageOverrideId, {"Flash PAGE", "Flash (страница)"}},
    {projectSettingsDialog::EepromByteOverrideId, {"Eeprom BYTE", "Eeprom (байт)"}},
    {projectSettingsDialog::EepromPageOverrideId, {"Eeprom PAGE", "Eeprom (страница)"}},
    {projectSettingsDialog::SckLabelId, {"Clock SPI", "Тактирование SPI"}},
};

constexpr ControlTranslation kBoardSettingsControls[] = {
    {boardSettingsDialog::PortGroupId, {"Communication port", "Порт связи"}},
    {boardSettingsDialog::SpeedGroupId, {"Baud rate", "Скорость обмена"}},
    {boardSettingsDialog::Speed19200Id, {"Low speed (19200 baud)", "Низкая скорость (19200 бод)"}},
    {boardSettingsDialog::Speed115200Id,
     {"Standard speed (115200 baud)", "Стандартная скорость (115200 бод)"}},
    {boardSettingsDialog::Speed921600Id,
     {"High speed (921600 baud, Tovel-U only)", "Высокая скорость (921600 бод, только Tovel-U)"}},
    {boardSettingsDialog::CancelId, {"Cancel", "Отмена"}},
};

// The last four lines replace the maker's address block: they name this program, its licence and the
// labels of the project-page and contact links, whose targets the About box fills in itself.
constexpr ControlTranslation kAboutControls[] = {
    {aboutDialog::TitleId,
     {"Tovel/Tovel-U In-System Programmer", "Внутрисхемный программатор Tovel/Tovel-U"}},
    {aboutDialog::VersionLineId, {"Version 11.01, August 2005", "Версия 11.01, август 2005"}},
    {aboutDialog::PlatformLineId, {"For Windows 98/2000/XP", "Для Windows 98/2000/XP"}},
    {aboutDialog::ReleasesLabelId, {"Last version:", "Последняя версия:"}},
    {aboutDialog::ProgramLineId, {"tovelisp - free software", "tovelisp - свободная программа"}},
    {aboutDialog::LicenceId,
     {"Licence: GNU GPL 3.0 or later", "Лицензия: GNU GPL 3.0 или более поздняя версия"}},
    {aboutDialog::ProjectPageLabelId, {"Project page:", "Страница проекта:"}},
    {aboutDialog::ContactLabelId, {"Contact:", "Контакты:"}},
};

constexpr ControlTranslation kLanguageControls[] = {
    {languageDialog::CancelId, {"Cancel", "Отмена"}},
    {languageDialog::LanguageGroupId, {"Language", "Язык"}},
    {languageDialog::EnglishRadioId, {"English/Английский", "English/Английский"}},
    {languageDialog::RussianRadioId, {"Russian/Русский", "Russian/Русский"}},
};

constexpr ControlTranslation kMainWindowControls[] = {
    {mainWindow::DeviceGroupId, {"Device", "Микросхема"}},
    {command::ProgramFlash, {"Program Flash", "Программировать Flash"}},
    {command::ReadFlash, {"Read Flash", "Прочитать Flash"}},
    {command::VerifyFlash, {"Verify Flash", "Проверить Flash"}},
    {command::ProgramEeprom, {"Program Eeprom", "Программировать Eeprom"}},
    {command::ReadEeprom, {"Read Eeprom", "Прочитать Eeprom"}},
    {command::VerifyEeprom, {"Verify Eeprom", "Проверить Eeprom"}},
    {command::AutoProgram, {"Autoprogram", "Автопрограммирование"}},
    {command::ReadSignatureButton, {"Read signature", "Прочитать сигнатуру"}},
    {command::ChipErase, {"Chip erase", "Стереть микросхему"}},
    {command::BlankCheck, {"Blank check", "Проверить на чистоту"}},
};

constexpr ControlTranslation kProgressControls[] = {
    {progressWindow::CancelId, {"Cancel", "Отмена"}},
};

constexpr ControlTranslation kLockFuseBitsControls[] = {
    {lockFuseDialog::LockGroupId, {"Lock Bits", "Биты защиты"}},
    {lockFuseDialog::FuseGroupId, {"Fuse Bits", "Fuse-биты"}},
    {lockFuseDialog::BootLockLabelId, {"Boot Lock Bits", "Биты защиты загрузчика"}},
    {lockFuseDialog::ProgramId, {"Program", "Программировать"}},
    {lockFuseDialog::ReadId, {"Read", "Прочитать"}},
    {lockFuseDialog::VerifyId, {"Verify", "Проверить"}},
    {lockFuseDialog::ChipEraseId, {"Chip Erase", "Стереть микросхему"}},
    {lockFuseDialog::CloseWithoutSavingId, {"Close without saving", "Закрыть без сохранения"}},
    {lockFuseDialog::CloseAndSaveId, {"Close and save settings", "Сохранить и закрыть"}},
    {lockFuseDialog::LegendId,
     {"A button is pressed if the fuse bit is programmed",
      "Нажатая кнопка означает запрограммированный fuse-бит"}},
};

constexpr ControlTranslation kLoadAddressControls[] = {
    {loadAddressDialog::CancelId, {"Cancel", "Отмена"}},
    {loadAddressDialog::AddressLabelId, {"Address", "Адрес"}},
    {loadAddressDialog::DecimalId, {"Decimal", "Десятичный"}},
    {loadAddressDialog::HexadecimalId, {"Hexadecimal", "Шестнадцатеричный"}},
};

// The two version fields appear twice: cleared first, then set to "-". The dialog fills
// them with the real versions after retitling.
constexpr ControlTranslation kSelfProgramControls[] = {
    {selfProgramDialog::SettingsGroupId, {"Settings", "Настройки"}},
    {selfProgramDialog::CurrentVersionLabelId, {"Current version", "Текущая версия"}},
    {selfProgramDialog::NewVersionLabelId, {"New version", "Новая версия"}},
    {selfProgramDialog::CurrentVersionId, {"", ""}},
    {selfProgramDialog::NewVersionId, {"", ""}},
    {selfProgramDialog::NormalSpeedId, {"Program at normal speed", "Программировать на обычной скорости"}},
    {selfProgramDialog::ReducedSpeedId,
     {"Program at reduced speed", "Программировать на пониженной скорости"}},
    {selfProgramDialog::CurrentVersionId, {"-", "-"}},
    {selfProgramDialog::NewVersionId, {"-", "-"}},
    {selfProgramDialog::UpdateId, {"Update", "Обновить"}},
    {selfProgramDialog::CancelId, {"Cancel", "Отмена"}},
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
    {command::NewProject, {"&New", "&Новый"}},
    {command::OpenProject, {"&Open...", "&Открыть..."}},
    {command::ReloadProject, {"&Reload", "&Перезагрузить"}},
    {command::SaveProject, {"&Save", "&Сохранить"}},
    {command::SaveProjectAs, {"Save &As...", "Сохранить &как..."}},
    {command::CloseProject, {"&Close", "&Закрыть"}},
    {command::AutoProgram, {"Auto-&Program", "&Автопрограммирование"}},
    {command::Production, {"Pro&duction...", "П&роизводство..."}},
    {command::RecentProjectsPlaceholder, {"Recent Projects", "Последние проекты"}},
    {command::Exit, {"&Exit", "&Выход"}},
    {command::LoadFlash, {"&Load...", "&Загрузить..."}},
    {command::LoadFlashAt, {"Load A&t...", "Загрузить по &адресу..."}},
    {command::ReloadFlash, {"&Reload...", "&Перезагрузить..."}},
    {command::SaveFlash, {"Save", "Сохранить"}},
    {command::SaveFlashAs, {"Save &As...", "Сохранить &как..."}},
    {command::CloseFlash, {"Close", "Закрыть"}},
    {command::ProgramFlash, {"&Program", "Про&граммировать"}},
    {command::VerifyFlash, {"&Verify", "Про&верить"}},
    {command::ReadFlash, {"&Read", "Про&читать"}},
    {command::LoadEeprom, {"&Load...", "&Загрузить..."}},
    {command::LoadEepromAt, {"Load &At...", "Загрузить по &адресу..."}},
    {command::ReloadEeprom, {"&Reload...", "&Перезагрузить..."}},
    {command::SaveEeprom, {"Save", "Сохранить"}},
    {command::SaveEepromAs, {"Save &As...", "Сохранить &как..."}},
    {command::CloseEeprom, {"Close", "Закрыть"}},
    {command::ProgramEeprom, {"&Program", "Про&граммировать"}},
    {command::VerifyEeprom, {"&Verify", "Про&верить"}},
    {command::ReadEeprom, {"&Read", "Про&читать"}},
    {-SettingsMenuPosition, {"&Settings", "&Настройки"}},
    {command::ProjectSettings, {"&Project Settings...", "Настройки &проекта..."}},
    {command::LockFuseBits, {"&Lock&&Fuse Bits...", "&Биты защиты и fuse-биты..."}},
    {command::BoardSettings, {"&Board Settings...", "Настройки п&латы..."}},
    {command::SelectLanguage, {"Select &Language...", "Выбор &языка..."}},
    {-AdvancedMenuPosition, {"&Advanced", "&Дополнительно"}},
    {command::BlankCheck, {"&Empty Check...", "Проверка на &чистоту..."}},
    {command::ReadSignature, {"&Read Signature...", "Прочитать &сигнатуру..."}},
    {command::ReadCalibrationBytes, {"Read &Calibration Bytes...", "Прочитать &калибровочные байты..."}},
    {command::SearchBoard, {"Search &Board...", "&Поиск платы..."}},
    {command::BoardInfo, {"&Tovel/Tovel-U Info...", "&Информация о Tovel/Tovel-U..."}},
    {command::UpdateFirmware, {"&Update firmware version...", "&Обновить версию прошивки..."}},
    {-HelpMenuPosition, {"&Help", "&Справка"}},
    {command::Help, {"&Help", "Вызов &справки"}},
    {command::About, {"&About", "&О программе"}},
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
