// The desktop program's own texts beyond the message catalogue and the dialog tables, in English
// and Russian (UTF-8): the Messages panel, the help window, the file-dialog filters, and the
// names a screen reader reads for controls that show no text of their own.
#pragma once

#include "i18n/messages.h"

namespace tovel::ui {

enum class DesktopText {
    MessagesMenuItem,
    MessagesPanelTitle,
    CopyAll,
    SaveAsText,
    TextFilesFilter,
    AllFilesFilter,
    HexFilesFilter,
    EepFilesFilter,
    BinFilesFilter,
    ProjectFilesFilter,
    HelpWindowTitle,
    HelpContents,
    HelpSearch,
    HelpFindNext,
    HelpNotFound,
    FlashPreviewName,
    EepromPreviewName,
    FamilyListName,
    DeviceListName,
    SckListName,
    StatusLineName,
    FlashFileName,
    EepromFileName,
    PreviewCursor, // %06X address, %02X value, %s the byte's history (below)
    // A byte's history, in the order of its attribute values 0..6.
    ByteLoaded,
    ByteSaved,
    ByteProgrammed,
    ByteVerified,
    ByteReadFromChip,
    ByteNotConfirmed,
    ByteChanged,
    MessagesLogName,
    AboutVersion,         // %s program version
    AboutFirmwareVersion, // %s the board firmware the program needs
    AboutManual,
    AboutHomePage,
    AboutMail,
    AboutReleases,
    // Units, as they follow a number.
    Milliseconds,
    Microseconds,
    Megahertz,
    Kilohertz,
};

// Never null; UTF-8.
const char* desktopText(DesktopText id, Language language);

} // namespace tovel::ui
