// The main window's command ids: menu items and buttons that share an id run the same command.
// The desktop program builds its menus and buttons with them, the menu translation table is keyed
// by them, and the Workbench has one method per command (see workbench.h). The numbers are fixed:
// the main window's buttons carry them as control ids too.
#pragma once

namespace tovel::command {

enum Id : int {
    About = 16,
    ChipErase = 1008,
    ProgramFlash = 1009,
    VerifyFlash = 1010,
    ProgramEeprom = 1011,
    VerifyEeprom = 1012,
    ReadFlash = 1013,
    ReadEeprom = 1014,
    AutoProgram = 1015,
    LockFuseBits = 1016, // the Settings menu item (the device list has the same id)
    Exit = 1056,
    StatusLineClick = 1057,
    FlashInvert = 1059,         // "Inv" check box
    EepromAutoIncrement = 1060, // "Inc" check box
    ReadSignatureButton = 1103,
    LoadFlash = 1006,
    LoadEeprom = 1007,
    CloseFlash = 32771,
    SaveEeprom = 32772,
    CloseEeprom = 32773,
    SaveFlashAs = 32774,
    SaveEepromAs = 32775,
    SaveFlash = 32776,
    ReadSignature = 32777,
    BlankCheck = 32779,
    OpenProject = 32780,
    SaveProject = 32781,
    SaveProjectAs = 32782,
    ReloadProject = 32783,
    NewProject = 32784,
    BoardSettings = 32785,
    AdvancedBoardSettings = 32786,
    SearchBoard = 32788,
    Help = 32789,
    ReloadFlash = 32790,
    ReloadEeprom = 32791,
    CloseProject = 32792,
    ProjectSettings = 32795,
    RecentProjectsPlaceholder = 32800, // the grayed "Recent Projects" item: no action
    FirstRecentProject = 32801,        // .. 32808
    LastRecentProject = 32808,
    BoardInfo = 32901,
    ReadCalibrationBytes = 32904,
    SelectLanguage = 32907,
    LoadFlashAt = 32908,
    LoadEepromAt = 32909,
    UpdateFirmware = 32910,
    Production = 32911,
    DiagnoseConnection = 33001, // the connection doctor's window
};

} // namespace tovel::command
