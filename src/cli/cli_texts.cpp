#include "cli/cli_texts.h"

#include <cstdarg>

namespace tovel::cli {

namespace {

struct TextRow {
    CliText id;
    const char* english;
    const char* russian;
};

constexpr const char* kHelpEnglish = R"(Usage: tovelisp-cli [OPTIONS] COMMAND [ARGUMENTS]

Programs Atmel chips through a Tovel or Tovel-U board, from a terminal or a script.

Commands:
  devices                     list the supported chips: number, name, family, sizes, signature
  ports                       list the serial ports, whether you may open them, their COM numbers
  info                        show the board's firmware version and serial number
  search                      look for the board on COM1..COM8
  signature                   read the chip's signature
  erase                       erase the chip
  blank-check                 check that the Flash is blank
  calibration                 read the calibration bytes
  read flash|eeprom FILE      read a memory of the chip into FILE
  program flash|eeprom FILE   program FILE into a memory of the chip
  verify flash|eeprom FILE    compare a memory of the chip with FILE
  fuses read                  read the lock and fuse bits
  fuses program               program the lock and fuse bits chosen in the project (--project)
  fuses verify                compare the chip's lock and fuse bits with the project's
  autoprogram [PROJECT] [--repeat]
                              run the project's auto-program steps; with --repeat, chip after
                              chip: Enter for the next chip, q and Enter to quit
  update-firmware [IMAGE] [--reduced-speed]
                              replace the board's firmware (default: the installed image)
  convert IN OUT              read an image file exactly as the buffers do and write it in the
                              format OUT's name chooses
  doctor                      find out why the board or the chip does not answer: port,
                              board, link speed and chip, each with what to do; exit 0 when
                              board and chip work, 3 when the port or board fails, 4 when the
                              chip does not identify
Image files: .hex and .eep are Intel HEX, .bin is binary, .srec .s19 .s28 .s37 .mot are
Motorola S-records, .elf is an AVR ELF file, read only (convert takes its Flash, or its
EEPROM when OUT ends in .eep).

Options:
  --port N|PATH          the board's port: 1..8 (COM1..COM8, through the [Ports] section of the
                         settings file) or a device path such as /dev/ttyUSB0
  --baud 0|1|2           link speed: 0 = 19200, 1 = 115200, 2 = 921600 baud
  --settings FILE        the settings file (default ~/.config/tovelisp/tovelisp.ini)
  --project FILE         the project (.tvl): device, images, options, lock/fuse settings
  --device NAME|NUMBER   the chip (see 'devices'); overrides the project's
  --changed-only         write only changed data: EEPROM, AT25 and AT45 memories are read
                         first and only the bytes or pages that differ are written
  --lang en|ru           the language of every message (default: the settings file's)
  --yes, --no            answer every question Yes, or No (default: No, the safe answer)
  --simulate[=DEVICE]    use the built-in simulated board, with DEVICE in its socket (default:
                         the project's device, else ATmega8; 'none' leaves the socket empty)
  --simulate-state FILE  keep the simulated chip's memories in FILE from one run to the next
  --json                 print one JSON object a line: every status text, box, question,
                         progress step and the final result
  --log FILE             autoprogram: append one CSV line a chip (time, device, counters,
                         result, exit status; on several boards also port, board serial,
                         signature, serial number and duration)
  --log-json FILE        autoprogram on several boards: append one JSON line a chip
  --simulate-with OPTS   options of the simulated board as tovel-sim takes them, e.g.
                         --simulate-with "--no-target-power" or "--firmware loader"
  --system-root DIR      doctor: read /proc, /sys and /dev below DIR (for tests)
  --trace FILE           write every byte to and from the board to FILE, with its time in
                         microseconds, speed changes, opens and closes; 'tovel-sim --replay
                         FILE' answers as that board did. Attach 'doctor --trace FILE' to a
                         problem report

Several boards at once (autoprogram, program, verify, erase, fuses program):
  --port N|PATH          given more than once: every board runs the command at the same time,
                         each with its own connection; lines start with "[PORT] "
  --simulate=N           N built-in simulated boards (1..16)
  --simulate-control FIFO
                         lines "BOARD insert [DEVICE]" and "BOARD remove" written to FIFO put
                         chips into the simulated boards' sockets and take them out
  --serials FILE         the serial-number store (default: beside the project, NAME.serials.db);
                         every chip takes the next number, never one taken before
  --auto-next            with autoprogram --repeat: each board starts as soon as a chip is in
                         its socket, and waits for it to be taken out
  --help, --version

Fuse settings: 'fuses program' and 'fuses verify' use the lock/fuse selection stored in the
project (the project's own 'Lock/Fuse Bits' settings), for the project's device.

Output: status texts go to standard output as they are set, one a line; message boxes go to
standard error as "caption: text", and so do questions, with the answer taken. Progress is a bar
on a terminal and percent lines otherwise. Ctrl-C cancels the running operation as the Cancel
button does; a second Ctrl-C quits at once. The settings file is only read, never written.

Exit status:
  0  success
  1  other failure
  2  usage error
  3  no board, or a connection error
  4  wrong chip: signature mismatch, or the chip is locked
  5  verify mismatch (Flash, EEPROM, or lock/fuse bits)
  6  the Flash is not blank
  7  file error (image, project or settings file)
  8  cancelled: Ctrl-C, or a No answer stopped the command

Examples:
  tovelisp-cli --simulate --project examples/atmega8/blink.tvl autoprogram
  tovelisp-cli --port /dev/ttyUSB0 --device ATmega16 program flash firmware.hex
  tovelisp-cli --port 5 --log chips.csv autoprogram job.tvl --repeat
)";

constexpr const char* kHelpRussian = R"(Использование: tovelisp-cli [ПАРАМЕТРЫ] КОМАНДА [АРГУМЕНТЫ]

Программирует микросхемы Atmel через плату Tovel или Tovel-U из терминала или сценария.

Команды:
  devices                     список микросхем: номер, имя, семейство, объемы, сигнатура
  ports                       список последовательных портов, права доступа, номера COM
  info                        версия прошивки и серийный номер платы
  search                      найти плату на COM1..COM8
  signature                   прочитать сигнатуру микросхемы
  erase                       стереть микросхему
  blank-check                 проверить, что Flash чиста
  calibration                 прочитать калибровочные байты
  read flash|eeprom ФАЙЛ      прочитать память микросхемы в ФАЙЛ
  program flash|eeprom ФАЙЛ   записать ФАЙЛ в память микросхемы
  verify flash|eeprom ФАЙЛ    сравнить память микросхемы с ФАЙЛОМ
  fuses read                  прочитать lock- и fuse-биты
  fuses program               запрограммировать lock- и fuse-биты, выбранные в проекте (--project)
  fuses verify                сравнить lock- и fuse-биты микросхемы с проектом
  autoprogram [ПРОЕКТ] [--repeat]
                              выполнить шаги автопрограммирования проекта; с --repeat - одну
                              микросхему за другой: Enter - следующая, q и Enter - выход
  update-firmware [ОБРАЗ] [--reduced-speed]
                              заменить прошивку платы (по умолчанию - установленный образ)
  convert ВХОД ВЫХОД          прочитать файл образа так же, как буферы, и записать его в
                              формате, который задает имя ВЫХОДА
  doctor                      выяснить, почему не отвечает плата или микросхема: порт, плата,
                              скорость связи и микросхема, для каждой проверки - что делать;
                              код 0 - плата и микросхема работают, 3 - ошибка порта или платы,
                              4 - микросхема не опознана
Файлы образов: .hex и .eep - Intel HEX, .bin - двоичный, .srec .s19 .s28 .s37 .mot -
Motorola S-record, .elf - файл ELF для AVR, только для чтения (convert берет из него Flash,
а если ВЫХОД оканчивается на .eep - EEPROM).

Параметры:
  --port N|ПУТЬ          порт платы: 1..8 (COM1..COM8, через раздел [Ports] файла настроек)
                         или путь к устройству, например /dev/ttyUSB0
  --baud 0|1|2           скорость связи: 0 = 19200, 1 = 115200, 2 = 921600 бод
  --settings ФАЙЛ        файл настроек (по умолчанию ~/.config/tovelisp/tovelisp.ini)
  --project ФАЙЛ         проект (.tvl): микросхема, образы, режимы, lock- и fuse-биты
  --device ИМЯ|НОМЕР     микросхема (см. devices); заменяет микросхему проекта
  --changed-only         записывать только измененные данные: память EEPROM, AT25 и AT45
                         сначала читается, и записываются только отличающиеся байты или страницы
  --lang en|ru           язык всех сообщений (по умолчанию - из файла настроек)
  --yes, --no            отвечать на все вопросы "Да" или "Нет" (по умолчанию "Нет")
  --simulate[=ИМЯ]       работать с встроенным имитатором платы, в панельке - микросхема ИМЯ
                         (по умолчанию - микросхема проекта или ATmega8; none - пустая панелька)
  --simulate-state ФАЙЛ  хранить память имитируемой микросхемы в ФАЙЛЕ между запусками
  --json                 выводить по одному объекту JSON в строке: каждое сообщение строки
                         состояния, окно, вопрос, шаг выполнения и итоговый результат
  --log ФАЙЛ             autoprogram: дописывать по строке CSV на микросхему (время,
                         микросхема, счетчики, результат, код завершения; на нескольких
                         платах также порт, номер платы, сигнатура, серийный номер и время)
  --log-json ФАЙЛ        autoprogram на нескольких платах: по строке JSON на микросхему
  --simulate-with ПАРАМ  параметры имитатора платы в том виде, в каком их принимает tovel-sim,
                         например --simulate-with "--no-target-power" или "--firmware loader"
  --system-root ПАПКА    doctor: читать /proc, /sys и /dev внутри ПАПКИ (для тестов)
  --trace ФАЙЛ           записывать в ФАЙЛ каждый байт обмена с платой с временем в
                         микросекундах, смены скорости, открытия и закрытия порта;
                         tovel-sim --replay ФАЙЛ отвечает так же, как та плата. Приложите
                         doctor --trace ФАЙЛ к сообщению о проблеме

Несколько плат сразу (autoprogram, program, verify, erase, fuses program):
  --port N|ПУТЬ          указан несколько раз: команда выполняется на всех платах одновременно,
                         у каждой свое соединение; строки начинаются с "[ПОРТ] "
  --simulate=N           N встроенных имитаторов платы (1..16)
  --simulate-control FIFO
                         строки "ПЛАТА insert [ИМЯ]" и "ПЛАТА remove", записанные в FIFO,
                         вставляют микросхемы в панельки имитаторов и извлекают их
  --serials ФАЙЛ         хранилище серийных номеров (по умолчанию рядом с проектом,
                         ИМЯ.serials.db); каждая микросхема получает следующий, еще не выданный
  --auto-next            с autoprogram --repeat: каждая плата начинает, как только в панельке
                         появилась микросхема, и ждет, пока ее извлекут
  --help, --version

Fuse-биты: команды fuses program и fuses verify берут lock- и fuse-биты, выбранные в
проекте (его настройки lock- и fuse-битов), для микросхемы проекта.

Вывод: сообщения строки состояния - в стандартный вывод по мере появления, по одному в строке;
окна сообщений - в стандартный поток ошибок в виде "заголовок: текст", так же и вопросы вместе
с данным ответом. Ход операции - полоса на терминале, иначе строки с процентами. Ctrl-C
отменяет текущую операцию, как кнопка "Отмена"; повторное Ctrl-C сразу завершает программу.
Файл настроек только читается и никогда не записывается.

Коды завершения:
  0  успешно
  1  прочая ошибка
  2  ошибка в командной строке
  3  нет платы или ошибка соединения
  4  не та микросхема: сигнатура не совпадает или микросхема защищена
  5  данные не совпадают при проверке (Flash, EEPROM, lock- и fuse-биты)
  6  Flash не чиста
  7  ошибка файла (образа, проекта или файла настроек)
  8  отменено: Ctrl-C или ответ "Нет" остановил команду

Примеры:
  tovelisp-cli --simulate --project examples/atmega8/blink.tvl autoprogram
  tovelisp-cli --port /dev/ttyUSB0 --device ATmega16 program flash firmware.hex
  tovelisp-cli --port 5 --log chips.csv autoprogram job.tvl --repeat
)";

constexpr TextRow kRows[] = {
    {CliText::Help, kHelpEnglish, kHelpRussian},
    {CliText::UsageHint, "Try 'tovelisp-cli --help'.", "Справка: tovelisp-cli --help"},
    {CliText::UnknownOption, "unknown option '%s'", "неизвестный параметр «%s»"},
    {CliText::MissingValue, "option '%s' needs a value", "параметру «%s» нужно значение"},
    {CliText::BadValue, "invalid value '%s' for %s", "недопустимое значение «%s» для %s"},
    {CliText::UnknownCommand, "unknown command '%s'", "неизвестная команда «%s»"},
    {CliText::NoCommand, "no command given", "команда не указана"},
    {CliText::CommandUsage, "usage: tovelisp-cli [OPTIONS] %s", "использование: tovelisp-cli [ПАРАМЕТРЫ] %s"},
    {CliText::UnknownDevice, "unknown device '%s' (see 'tovelisp-cli devices')",
     "неизвестная микросхема «%s» (см. tovelisp-cli devices)"},
    {CliText::OptionNotForCommand, "option '%s' does not apply to '%s'",
     "параметр «%s» не относится к команде «%s»"},
    {CliText::ConflictingOptions, "options %s and %s cannot be combined",
     "параметры %s и %s нельзя использовать вместе"},
    {CliText::NotForDevice, "'%s' is not available for the %s", "команда «%s» недоступна для %s"},
    {CliText::NeedsProject, "'%s' takes the lock and fuse settings from a project: give --project FILE",
     "команда «%s» берет lock- и fuse-биты из проекта: укажите --project ФАЙЛ"},
    {CliText::TwoProjects, "two projects given: '%s' and '%s'", "указаны два проекта: «%s» и «%s»"},
    {CliText::SettingsUnreadable, "cannot read the settings file '%s'",
     "не удается прочитать файл настроек «%s»"},
    {CliText::TemporaryFolderUnusable,
     "cannot create a temporary folder in '%s': make it an existing, writable folder, or set TMPDIR to one",
     "не удается создать временную папку в «%s»: она должна существовать и быть доступной для записи, "
     "или укажите другую в TMPDIR"},
    {CliText::SimulatorFailed, "the simulated board could not be started: %s",
     "не удалось запустить имитатор платы: %s"},
    {CliText::AnswerYes, "Yes", "Да"},
    {CliText::AnswerNo, "No", "Нет"},
    {CliText::AnswerOk, "OK", "OK"},
    {CliText::AnswerCancel, "Cancel", "Отмена"},
    {CliText::FailedWith, "tovelisp-cli: %s (exit status %d)", "tovelisp-cli: %s (код завершения %d)"},
    {CliText::OutcomeFailure, "the operation failed", "операция не выполнена"},
    {CliText::OutcomeConnection, "no board, or a connection error", "нет платы или ошибка соединения"},
    {CliText::OutcomeWrongChip, "wrong chip: signature mismatch, or the chip is locked",
     "не та микросхема: сигнатура не совпадает или микросхема защищена"},
    {CliText::OutcomeVerifyMismatch, "verify mismatch", "данные не совпадают"},
    {CliText::OutcomeVerifyMismatchAt, "verify mismatch at byte %ld (0x%lX)",
     "данные не совпадают в байте %ld (0x%lX)"},
    {CliText::OutcomeNotBlank, "the Flash is not blank", "Flash не чиста"},
    {CliText::OutcomeFileError, "file error", "ошибка файла"},
    {CliText::OutcomeCancelled, "cancelled", "отменено"},
    {CliText::ChipPrompt, "Chip %d: insert it and press Enter (q and Enter to quit)",
     "Микросхема %d: установите ее и нажмите Enter (q и Enter - выход)"},
    {CliText::ChipPassed, "Chip %d: OK", "Микросхема %d: OK"},
    {CliText::ChipFailed, "Chip %d: %s (exit status %d)", "Микросхема %d: %s (код завершения %d)"},
    {CliText::LoopSummary, "Chips: %d, OK: %d, failed: %d", "Микросхем: %d, успешно: %d, с ошибкой: %d"},
    {CliText::SaveCounterQuestion, "The %s serial-number counter is now %s. Save the buffer to '%s'?",
     "Счетчик серийного номера в %s теперь %s. Сохранить буфер в «%s»?"},
    {CliText::LogUnwritable, "cannot write the log file '%s'", "не удается записать файл журнала «%s»"},
    {CliText::PowerCyclePrompt,
     "Switch the board's power off and on, then press Enter (q and Enter to cancel)",
     "Выключите и снова включите питание платы, затем нажмите Enter (q и Enter - отмена)"},
    {CliText::FirmwareVersions, "Board firmware: %s; new firmware: %s",
     "Прошивка платы: %s; новая прошивка: %s"},
    {CliText::DevicesHeader, "No|Name|Family|Flash|EEPROM|Page|Signature",
     "N|Имя|Семейство|Flash|EEPROM|Стр.|Сигнатура"},
    {CliText::LockLevel, "Lock level %d: %s", "Уровень защиты %d: %s"},
    {CliText::BootLockBits, "Boot lock bits:", "Биты защиты загрузчика:"},
    {CliText::FuseBits, "Fuse bits:", "Fuse-биты:"},
    {CliText::FuseBytes, "Fuse bytes (low, high, extended): %s",
     "Fuse-байты (младший, старший, расширенный): %s"},
    {CliText::BitProgrammed, "programmed (0)", "запрограммирован (0)"},
    {CliText::BitUnprogrammed, "unprogrammed (1)", "не запрограммирован (1)"},
    {CliText::PortsHeader, "Port|COM|Access|Description", "Порт|COM|Доступ|Описание"},
    {CliText::PortReadWrite, "read/write", "чтение/запись"},
    {CliText::PortNoAccess, "no access", "нет доступа"},
    {CliText::NoPorts,
     "No serial ports found. Connect the board (or its USB serial adapter) and run this again; 'dmesg' shows "
     "what the system saw.",
     "Последовательные порты не найдены. Подключите плату (или ее USB-адаптер) и повторите; dmesg покажет, "
     "что увидела система."},
    {CliText::PermissionHint,
     "You may not open %s: it belongs to the group '%s'. Add yourself to that group (sudo usermod -aG %s "
     "$USER), then log out and in again.",
     "Нет прав на открытие %s: устройство принадлежит группе «%s». Добавьте себя в эту группу (sudo usermod "
     "-aG %s $USER), затем выйдите из системы и войдите снова."},
    {CliText::Interrupted, "Interrupted.", "Прервано."},
    {CliText::TraceUnwritable, "cannot write the trace file '%s'",
     "не удается записать файл трассировки «%s»"},
    {CliText::DoctorHint, "Run 'tovelisp-cli doctor' (with the same --port) to find out why.",
     "Запустите tovelisp-cli doctor (с тем же --port), чтобы выяснить причину."},
    {CliText::OptionNeedsOption, "option '%s' needs %s", "параметр «%s» требует %s"},
    {CliText::NotForGang, "'%s' cannot run on several boards at once",
     "команду «%s» нельзя выполнить на нескольких платах сразу"},
    {CliText::GangHeader, "Port            Signature  Result  Serial      Time",
     "Порт            Сигнатура  Итог    Номер       Время"},
    {CliText::GangPassed, "PASS", "ГОДНО"},
    {CliText::GangFailed, "FAIL", "БРАК"},
    {CliText::GangSummary, "Boards: %d, passed: %d, failed: %d", "Плат: %d, успешно: %d, с ошибкой: %d"},
    {CliText::SerialStoreFailed, "the serial-number store '%s' cannot be used: %s",
     "хранилище серийных номеров «%s» недоступно: %s"},
    {CliText::SerialsNeedStore, "serial numbers on several boards need a project file or --serials FILE",
     "для серийных номеров на нескольких платах нужен файл проекта или --serials ФАЙЛ"},
    {CliText::WaitingForChip, "Waiting for a chip", "Ожидание микросхемы"},
    {CliText::ChipInserted, "Chip %s in the socket", "В панельке микросхема %s"},
    {CliText::RemoveChip, "Remove the chip", "Извлеките микросхему"},
};

} // namespace

const char* cliText(CliText id, Language language) {
    for (const TextRow& row : kRows)
        if (row.id == id) return language == Language::Russian ? row.russian : row.english;
    return "";
}

std::string formatCliText(Language language, CliText id, ...) {
    std::va_list args;
    va_start(args, id);
    std::string text = formatTextV(cliText(id, language), args);
    va_end(args);
    return text;
}

} // namespace tovel::cli
