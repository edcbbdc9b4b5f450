// Control ids of the windows the translation tables retitle, one enumeration a window. The numbers
// are the layouts' resource ids: the tables are keyed by them, and the same number means different
// controls in different windows (1060 is a speed button in one, a check box in another). The main
// window's command buttons and check boxes carry their command ids (command_ids.h).
#pragma once

#include <array>

namespace tovel::ui {

namespace mainWindow {
enum Control : unsigned {
    FlashNameId = 1003,
    EepromNameId = 1004,
    FamilyComboId = 1005,
    DeviceComboId = 1016,
    StatusLineId = 1057,
    DeviceGroupId = 1079,
    FlashGroupId = 1111,
    EepromGroupId = 1112,
    SckComboId = 1148,
};
} // namespace mainWindow

namespace progressWindow {
enum Control : unsigned { CancelId = 2 };
} // namespace progressWindow

namespace languageDialog {
enum Control : unsigned {
    CancelId = 2,
    LanguageGroupId = 1104,
    EnglishRadioId = 1125,
    RussianRadioId = 1126,
};
} // namespace languageDialog

namespace projectSettingsDialog {
enum Control : unsigned {
    OkId = 1,
    CancelId = 2,
    ConfigureId = 3,
    DeviceListId = 1005,
    PollingId = 1030,
    CheckSignatureId = 1036,
    NoSynchronizationId = 1096,
    WriteChangedOnlyId = 1097,
    SckListId = 1145,
    StrobeSliderId = 1084,
    StrobeLabelId = 1085,
    AutoEraseId = 1063,
    AutoBlankCheckId = 1069,
    AutoFlashReloadId = 1060,
    AutoFlashProgramId = 1061,
    AutoFlashVerifyId = 1062,
    AutoEepromReloadId = 1064,
    AutoEepromProgramId = 1065,
    AutoEepromVerifyId = 1066,
    ProgramFusesId = 1144,
    IncrementFlashId = 1067,
    FlashCounterAddressId = 1068,
    IncrementEepromId = 1070,
    EepromCounterAddressId = 1071,
    FlashByteOverrideId = 1140,
    FlashByteDelayId = 1143,
    FlashPageOverrideId = 1141,
    FlashPageDelayId = 1142,
    EepromByteOverrideId = 1147,
    EepromByteDelayId = 1148,
    EepromPageOverrideId = 1149,
    EepromPageDelayId = 1150,
    // Frames and labels.
    ProgrammingGroupId = 1116,
    SckGroupId = 1117,
    StrobeGroupId = 1118,
    AutoProgramGroupId = 1119,
    GeneralGroupId = 1120,
    FlashGroupId = 1121,
    EepromGroupId = 1122,
    LockFuseGroupId = 1123,
    AutoIncrementGroupId = 1124,
    DelaysGroupId = 1125,
    DeviceLabelId = 1126,
    SckLabelId = 1146,
};
} // namespace projectSettingsDialog

namespace boardSettingsDialog {
enum Control : unsigned {
    OkId = 1,
    CancelId = 2,
    PortGroupId = 1113,
    SpeedGroupId = 1114,
    Speed19200Id = 1055,
    Speed115200Id = 1054,
    Speed921600Id = 1060,
};
// The radio buttons of ports 1..8.
inline constexpr std::array<unsigned, 8> kPortRadioIds{1056, 1057, 1058, 1059, 1149, 1150, 1151, 1152};
} // namespace boardSettingsDialog

namespace advancedBoardSettingsDialog {
enum Control : unsigned {
    OkId = 1,
    CancelId = 2,
    PreReadDelayId = 1076,
    PageReadDelayId = 1077,
    PageWriteDelayId = 1078,
    PostSendDelayId = 1079,
};
} // namespace advancedBoardSettingsDialog

namespace aboutDialog {
enum Control : unsigned {
    OkId = 1,
    TitleId = 1104,
    PlatformLineId = 1105, // in the record, not shown: the program states its own platform
    VersionLineId = 1107,  // in the record, not shown: the program's own version lines replace it
    ProgramLineId = 1106,
    LicenceId = 1108,
    ProjectPageLabelId = 1109,
    ContactLabelId = 1110,
    ProjectPageLinkId = 1070,
    ContactLinkId = 1077,
    HelpLinkId = 1112,
    ReleasesLabelId = 1111,
    ReleasesLinkId = 1113,
};
} // namespace aboutDialog

namespace lockFuseDialog {
enum Control : unsigned {
    LockGroupId = 1114,
    BootLockLabelId = 1134,
    FuseGroupId = 1115,
    LegendId = 1138,
    ProgramId = 1132,
    ReadId = 3,
    VerifyId = 4,
    ChipEraseId = 5,
    CloseAndSaveId = 1160,
    CloseWithoutSavingId = 2,
};
// The radio button of each lock level.
inline constexpr std::array<unsigned, 4> kLockRadioIds{1086, 1087, 1088, 1089};
// Box k shows fuse k of the layout: first column 0..7, second 8..15, third 16..23.
inline constexpr std::array<unsigned, 24> kFuseBoxIds{1091, 1095, 1096, 1097, 1098, 1099, 1100, 1101,
                                                      1110, 1111, 1112, 1113, 1117, 1118, 1119, 1120,
                                                      1102, 1121, 1104, 1122, 1107, 1108, 1109, 1116};
// Box k shows boot lock bit k.
inline constexpr std::array<unsigned, 4> kBootLockBoxIds{1092, 1103, 1093, 1094};
} // namespace lockFuseDialog

namespace loadAddressDialog {
enum Control : unsigned {
    OkId = 1,
    CancelId = 2,
    AddressFieldId = 1128,
    AddressLabelId = 1131,
    DecimalId = 1129,
    HexadecimalId = 1130,
};
} // namespace loadAddressDialog

namespace selfProgramDialog {
enum Control : unsigned {
    UpdateId = 1,
    CancelId = 2,
    SettingsGroupId = 1153,
    CurrentVersionLabelId = 1154,
    CurrentVersionId = 1155,
    NewVersionLabelId = 1156,
    NewVersionId = 1157,
    NormalSpeedId = 1158,
    ReducedSpeedId = 1159,
};
} // namespace selfProgramDialog

} // namespace tovel::ui
