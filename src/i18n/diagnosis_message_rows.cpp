// The texts that name the cause of a connection failure (port errors, the connection doctor),
// English and Russian. Every placeholder is %s: the callers pass words and numbers as text.
#include "i18n/message_rows.h"

namespace tovel {

const MessageRow kDiagnosisMessageRows[] = {
    {msg::PortMissing, "Connection error: there is no port %s.", "Ошибка соединения: порта %s нет."},
    {msg::PortNoDevice, "Connection error: no device answers behind %s (was the adapter unplugged?).",
     "Ошибка соединения: за %s нет устройства (адаптер отключен?)."},
    {msg::PortIsRegularFile, "Connection error: %s is a regular file, not a serial port.",
     "Ошибка соединения: %s — обычный файл, а не последовательный порт."},
    {msg::PortIsDirectory, "Connection error: %s is a folder, not a serial port.",
     "Ошибка соединения: %s — папка, а не последовательный порт."},
    {msg::PortIsFifo, "Connection error: %s is a named pipe (FIFO), not a serial port.",
     "Ошибка соединения: %s — именованный канал (FIFO), а не последовательный порт."},
    {msg::PortIsNotTerminal, "Connection error: %s is a device, but not a serial port.",
     "Ошибка соединения: %s — устройство, но не последовательный порт."},
    {msg::PortIsOtherFile, "Connection error: %s is not a serial port.",
     "Ошибка соединения: %s не является последовательным портом."},
    {msg::PortPermissionJoinGroup,
     "Connection error: you may not open %s: it belongs to the group '%s'. Join that group (sudo usermod -aG "
     "%s $USER), then log out and in again.",
     "Ошибка соединения: нет прав на открытие %s: порт принадлежит группе «%s». Вступите в эту группу (sudo "
     "usermod -aG %s $USER), затем выйдите из системы и войдите снова."},
    {msg::PortPermissionMode,
     "Connection error: you may not open %s (owner %s, group %s, mode %s). Install the udev rule shipped "
     "with "
     "the program (60-tovelisp-serial.rules), which gives the port to the group 'dialout', join that group, "
     "then log out and in again.",
     "Ошибка соединения: нет прав на открытие %s (владелец %s, группа %s, права %s). Установите правило udev "
     "из "
     "поставки программы (60-tovelisp-serial.rules), которое отдает порт группе «dialout», вступите в эту "
     "группу, затем выйдите из системы и войдите снова."},
    {msg::PortInUseBy, "Connection error: %s is in use by %s (process %s). Close that program and try again.",
     "Ошибка соединения: %s занят программой %s (процесс %s). Закройте ее и повторите попытку."},
    {msg::PortInUseByModemManager,
     "Connection error: %s is in use by ModemManager (process %s), which probes new serial adapters. Install "
     "the udev rule shipped with the program (60-tovelisp-serial.rules), which tells it to leave the adapter "
     "alone, or stop it: sudo systemctl stop ModemManager.",
     "Ошибка соединения: %s занят программой ModemManager (процесс %s), которая опрашивает новые "
     "последовательные адаптеры. Установите правило udev из поставки программы (60-tovelisp-serial.rules), "
     "которое велит ей не трогать адаптер, или остановите ее: sudo systemctl stop ModemManager."},
    {msg::PortOpenFailedReason, "Connection error: cannot open %s: %s.",
     "Ошибка соединения: не удается открыть %s: %s."},

    {msg::DoctorCheckPort, "port", "порт"},
    {msg::DoctorCheckAccess, "access", "доступ"},
    {msg::DoctorCheckHolders, "other programs", "другие программы"},
    {msg::DoctorCheckAdapter, "adapter", "адаптер"},
    {msg::DoctorCheckLatency, "latency timer", "таймер задержки"},
    {msg::DoctorCheckOpen, "open", "открытие"},
    {msg::DoctorCheckBoard, "board", "плата"},
    {msg::DoctorCheckFirmware, "firmware", "прошивка"},
    {msg::DoctorCheckLinkSpeed, "link speed", "скорость связи"},
    {msg::DoctorCheckChip, "chip", "микросхема"},
    {msg::DoctorCheckSummary, "summary", "итог"},

    {msg::DoctorNoPortChosen, "no port is chosen", "порт не выбран"},
    {msg::DoctorPortMissing, "%s does not exist", "%s не существует"},
    {msg::DoctorPortNotSerial, "%s is a %s, not a serial port", "%s — %s, а не последовательный порт"},
    {msg::DoctorPortIsSerial, "%s is a serial port", "%s — последовательный порт"},
    {msg::DoctorAccessDenied, "owner %s, group %s, mode %s: you may not read and write it",
     "владелец %s, группа %s, права %s: у вас нет прав на чтение и запись"},
    {msg::DoctorAccessOk, "owner %s, group %s, mode %s: you may read and write it",
     "владелец %s, группа %s, права %s: чтение и запись разрешены"},
    {msg::DoctorHeldBy, "in use by %s (process %s)", "занят программой %s (процесс %s)"},
    {msg::DoctorNotHeld, "no other program has it open", "другие программы его не открыли"},
    {msg::DoctorAdapterFacts, "%s, driver %s, USB %s:%s, serial number %s",
     "%s, драйвер %s, USB %s:%s, серийный номер %s"},
    {msg::DoctorLatency, "latency timer %s ms", "таймер задержки %s мс"},
    {msg::DoctorKindRegularFile, "regular file", "обычный файл"},
    {msg::DoctorKindDirectory, "folder", "папка"},
    {msg::DoctorKindFifo, "named pipe (FIFO)", "именованный канал (FIFO)"},
    {msg::DoctorKindSocket, "socket", "сокет"},
    {msg::DoctorKindBlockDevice, "block device", "блочное устройство"},
    {msg::DoctorKindNotTerminal, "device that is not a terminal", "устройство, не являющееся терминалом"},
    {msg::DoctorOpened, "opened at 19200 baud", "открыт на скорости 19200 бод"},
    {msg::DoctorInUseUnknown, "another program holds it", "его держит другая программа"},
    {msg::DoctorOpenError, "cannot open it: %s", "не удается открыть: %s"},
    {msg::DoctorBoardSilent, "the board does not answer at 19200 baud",
     "плата не отвечает на скорости 19200 бод"},
    {msg::DoctorBoardLoaderOnly, "only the board's loader answers: the firmware is missing",
     "отвечает только загрузчик платы: прошивки нет"},
    {msg::DoctorBoardOutOfStep, "the board answers out of step", "плата отвечает невпопад"},
    {msg::DoctorBoardRunning, "the firmware runs", "прошивка работает"},
    {msg::DoctorFirmwareOk, "version %s, %s, serial number %s", "версия %s, %s, серийный номер %s"},
    {msg::DoctorFirmwareOther, "version %s, but this program needs %s",
     "версия %s, а этой программе нужна %s"},
    {msg::DoctorFirmwareNoVersion, "the board does not tell its version", "плата не сообщает свою версию"},
    {msg::DoctorLinkBest, "%s baud works (%s round trips without an error)",
     "%s бод работает (%s обменов без ошибок)"},
    {msg::DoctorLinkOnly19200, "only 19200 baud works without errors",
     "без ошибок работает только 19200 бод"},
    {msg::DoctorChipFound, "%s (signature %s) at SCK period %s", "%s (сигнатура %s) при периоде SCK %s"},
    {msg::DoctorChipNothing, "signature 00 00 00: nothing answers", "сигнатура 00 00 00: никто не отвечает"},
    {msg::DoctorChipMisoHigh, "signature FF FF FF: MISO stays high",
     "сигнатура FF FF FF: на MISO постоянно высокий уровень"},
    {msg::DoctorChipLocked, "signature 00 01 02: the chip is locked",
     "сигнатура 00 01 02: микросхема защищена"},
    {msg::DoctorChipOther, "another chip answers: %s (signature %s)",
     "отвечает другая микросхема: %s (сигнатура %s)"},
    {msg::DoctorChipUnknown, "unknown signature %s", "неизвестная сигнатура %s"},
    {msg::DoctorChipSlowClock, "reads agree only at SCK period %s or slower",
     "чтения совпадают только при периоде SCK %s и медленнее"},
    {msg::DoctorChipNoAgreement, "the signature reads never agree", "чтения сигнатуры ни разу не совпали"},
    {msg::DoctorChipNoSession, "no programming session could be opened",
     "не удалось начать сеанс программирования"},
    {msg::DoctorSummaryWorks, "the board and the chip work", "плата и микросхема работают"},
    {msg::DoctorSummaryCancelled, "the diagnosis was cancelled before its end",
     "диагностика отменена, не дойдя до конца"},
    {msg::DoctorChipDataFlashFound, "%s (status byte %s: its density code)",
     "%s (байт состояния %s: код ее емкости)"},
    {msg::DoctorChipSerialEepromFound,
     "%s (write enable sets the latch in the status register: %s) at SCK period %s",
     "%s (разрешение записи устанавливает бит в регистре состояния: %s) при периоде SCK %s"},
    {msg::DoctorChipStatusNothing, "status byte 00: nothing answers", "байт состояния 00: никто не отвечает"},
    {msg::DoctorChipStatusMisoHigh, "status byte FF: MISO stays high",
     "байт состояния FF: на MISO постоянно высокий уровень"},
    {msg::DoctorChipDataFlashOther, "another DataFlash answers: %s (status byte %s)",
     "отвечает другая микросхема DataFlash: %s (байт состояния %s)"},
    {msg::DoctorChipDataFlashUnknown, "the status byte %s names no DataFlash of the device table",
     "байт состояния %s не соответствует ни одной микросхеме DataFlash из таблицы"},
    {msg::DoctorChipWriteEnableNotSet, "write enable does not set the latch (status %s)",
     "разрешение записи не устанавливает бит (состояние %s)"},
    {msg::DoctorChipStatusNoAgreement, "the status reads never agree",
     "чтения байта состояния ни разу не совпали"},

    {msg::DoctorAdviceChoosePort,
     "Choose the port the board is on ('tovelisp-cli ports' lists the serial ports; Search board finds the "
     "board).",
     "Выберите порт, к которому подключена плата (tovelisp-cli ports перечисляет последовательные порты; "
     "«Поиск платы» находит плату)."},
    {msg::DoctorAdvicePlugIn,
     "Plug the board in and check the cable, then choose the port it is on ('tovelisp-cli ports' lists "
     "them).",
     "Подключите плату и проверьте кабель, затем выберите ее порт (tovelisp-cli ports перечисляет порты)."},
    {msg::DoctorAdvicePickSerialPort, "Choose the serial port the board is on (ttyUSB…, ttyACM…, ttyS…).",
     "Выберите последовательный порт, к которому подключена плата (ttyUSB…, ttyACM…, ttyS…)."},
    {msg::DoctorAdviceJoinGroup,
     "Join the group '%s' (sudo usermod -aG %s $USER), then log out and in again.",
     "Вступите в группу «%s» (sudo usermod -aG %s $USER), затем выйдите из системы и войдите снова."},
    {msg::DoctorAdviceUdevRule,
     "Install the udev rule shipped with the program (60-tovelisp-serial.rules): it gives the port to the "
     "group "
     "'dialout'; join that group, then log out and in again.",
     "Установите правило udev из поставки программы (60-tovelisp-serial.rules): оно отдает порт группе "
     "«dialout»; вступите в эту группу, затем выйдите из системы и войдите снова."},
    {msg::DoctorAdviceCloseHolder, "Close %s, or keep it from opening the port.",
     "Закройте %s или запретите ей открывать порт."},
    {msg::DoctorAdviceCloseOthers,
     "Close the other program that uses the port (a terminal, another programmer tool), then try again.",
     "Закройте другую программу, которая использует порт (терминал, другую программу для программатора), и "
     "повторите попытку."},
    {msg::DoctorAdviceModemManager,
     "ModemManager probes new serial adapters and disturbs the board: install the udev rule shipped with the "
     "program (60-tovelisp-serial.rules), which tells it to ignore the adapter, or stop it (sudo systemctl "
     "stop "
     "ModemManager).",
     "ModemManager опрашивает новые последовательные адаптеры и мешает плате: установите правило udev из "
     "поставки программы (60-tovelisp-serial.rules), которое велит ему не трогать адаптер, или остановите "
     "его "
     "(sudo systemctl stop ModemManager)."},
    {msg::DoctorAdviceStableName,
     "Use the stable name %s instead of %s: it stays the same whatever order adapters are plugged in.",
     "Используйте постоянное имя %s вместо %s: оно не меняется при подключении адаптеров в другом порядке."},
    {msg::DoctorAdviceLatency,
     "Set the latency timer to 1 ms (echo 1 | sudo tee %s), or install the udev rule shipped with the "
     "program "
     "(60-tovelisp-serial.rules), which does it at every plug-in.",
     "Установите таймер задержки 1 мс (echo 1 | sudo tee %s) или установите правило udev из поставки "
     "программы "
     "(60-tovelisp-serial.rules), которое делает это при каждом подключении."},
    {msg::DoctorAdviceBoardSilent,
     "Check the board's power and cable, and that this is the board's port; then switch the board off and "
     "on.",
     "Проверьте питание и кабель платы и то, что это ее порт; затем выключите и снова включите плату."},
    {msg::DoctorAdviceUpdateFirmware,
     "Update the board's firmware: 'tovelisp-cli update-firmware IMAGE', or Advanced > Update firmware "
     "version.",
     "Обновите прошивку платы: tovelisp-cli update-firmware ОБРАЗ или «Дополнительно» > «Обновить версию "
     "прошивки»."},
    {msg::DoctorAdvicePowerCycle, "Switch the board off and on, then try again.",
     "Выключите и снова включите плату, затем повторите попытку."},
    {msg::DoctorAdviceUseSpeed, "Use %s baud (the speed setting, or --baud %s).",
     "Используйте %s бод (настройка скорости или --baud %s)."},
    {msg::DoctorAdviceSlowLink,
     "Use 19200 baud (--baud 0); a shorter cable or another USB port may allow more.",
     "Используйте 19200 бод (--baud 0); более короткий кабель или другой порт USB могут позволить больше."},
    {msg::DoctorAdviceChipNothing,
     "Check the target's power, the MISO wire, and that a chip sits in the socket.",
     "Проверьте питание целевой платы, провод MISO и наличие микросхемы в панели."},
    {msg::DoctorAdviceChipMisoHigh,
     "Check the target's power, the wiring (MISO, MOSI, SCK, RESET), and that a chip sits in the socket.",
     "Проверьте питание целевой платы, соединения (MISO, MOSI, SCK, RESET) и наличие микросхемы в панели."},
    {msg::DoctorAdviceErase, "Erase the chip to unlock it ('tovelisp-cli erase'); its memory is then lost.",
     "Сотрите микросхему, чтобы снять защиту (tovelisp-cli erase); ее содержимое будет потеряно."},
    {msg::DoctorAdviceOtherChip, "Put the chip the project names in the socket, or choose %s (--device %s).",
     "Установите микросхему, указанную в проекте, или выберите %s (--device %s)."},
    {msg::DoctorAdviceUnknownChip,
     "No chip of the device table has this signature: check the chip's marking and the wiring.",
     "Ни у одной микросхемы из таблицы нет такой сигнатуры: проверьте маркировку микросхемы и соединения."},
    {msg::DoctorAdviceSckPeriod,
     "The chip's clock is too slow for a faster SCK: choose the SCK period %s in the project settings.",
     "Тактовая частота микросхемы слишком мала для более быстрого SCK: выберите период SCK %s в настройках "
     "проекта."},
    {msg::DoctorAdviceWiring, "Check the wiring and its length, and the target's power and clock.",
     "Проверьте соединения и их длину, а также питание и тактирование целевой платы."},
    {msg::DoctorAdviceUnknownDataFlash,
     "No DataFlash of the device table has this density code: check the chip's marking and the wiring.",
     "Ни у одной микросхемы DataFlash из таблицы нет такого кода емкости: проверьте маркировку микросхемы и "
     "соединения."},
    {msg::DoctorAdviceKeepSettings, "Nothing to do: use %s baud and the SCK period %s.",
     "Ничего делать не нужно: используйте %s бод и период SCK %s."},

    {msg::DoctorWindowTitle, "Diagnose connection", "Диагностика соединения"},
    {msg::DoctorRunning, "Checking...", "Проверка..."},
    {msg::DoctorStateOk, "ok", "ок"},
    {msg::DoctorStateWarn, "warn", "внимание"},
    {msg::DoctorStateFail, "fail", "ошибка"},
    {msg::DoctorMenuItem, "&Diagnose connection...", "&Диагностика соединения..."},
    {msg::DoctorClose, "Close", "Закрыть"},
    {msg::DoctorCancel, "Cancel", "Отмена"},

    {msg::TraceMenuItemOff, "&Trace board traffic to a file...", "&Записывать обмен с платой в файл..."},
    {msg::TraceMenuItemOn, "Stop &tracing board traffic to %s", "Прекратить &запись обмена с платой в %s"},
    {msg::TraceStatusOn, "Board traffic is traced to %s", "Обмен с платой записывается в %s"},
    {msg::TraceStatusOff, "Board traffic is no longer traced", "Обмен с платой больше не записывается"},
    {msg::TraceFileUnwritable, "Cannot write the trace file %s: %s. Board traffic is not traced.",
     "Не удается записать файл трассировки %s: %s. Обмен с платой не записывается."},
    {msg::TraceFileTitle, "Trace board traffic to", "Записывать обмен с платой в"},
    {msg::TraceFilesFilter, "Traces (*.trace *.txt)", "Трассировки (*.trace *.txt)"},
    {msg::TraceNotRegularFile, "it is not a regular file", "это не обычный файл"},
    {msg::DoctorHintDesktop, "Advanced > Diagnose connection... finds out why.",
     "«Дополнительно» > «Диагностика соединения...» выяснит причину."},
};

const std::size_t kDiagnosisMessageRowCount =
    sizeof(kDiagnosisMessageRows) / sizeof(kDiagnosisMessageRows[0]);

} // namespace tovel
