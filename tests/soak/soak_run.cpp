#include "soak/soak_run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "devices/device_table.h"
#include "i18n/message_ids.h"
#include "i18n/messages.h"
#include "image/hex_encoder.h"
#include "ops/chip_context.h"
#include "project/project.h"
#include "sim/pty_board_host.h"
#include "soak/soak_channel.h"
#include "soak/soak_clock.h"
#include "soak/soak_ui.h"
#include "soak/watchdog.h"
#include "workbench/workbench.h"

namespace tovel::soak {

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr int kSilentReadsPerSession = 6;
constexpr int kIdleBaud = 19200;

Bytes drawImage(SoakRandom& random, std::size_t maxSize) {
    if (maxSize == 0) return {};
    Bytes image(random.between(1, maxSize));
    for (std::uint8_t& byte : image) byte = random.byte();
    if (random.chance(30)) { // a blank stretch: whole pages of it are not written
        const std::size_t from = random.between(0, image.size() - 1);
        const std::size_t length = random.between(1, 300);
        std::fill(image.begin() + static_cast<std::ptrdiff_t>(from),
                  image.begin() + static_cast<std::ptrdiff_t>(std::min(image.size(), from + length)), 0xFF);
    }
    return image;
}

std::uint64_t fileHash(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
        hash ^= static_cast<std::uint8_t>(*it);
        hash *= 0x100000001B3ull;
    }
    return in.bad() ? 0 : hash;
}

bool writeImage(const std::string& path, const Bytes& image, bool asHex) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (asHex) {
        encodeHex(image, [&](std::span<const char> text) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            return static_cast<bool>(out);
        });
    } else {
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    return static_cast<bool>(out);
}

bool holds(const Bytes& memory, const Bytes& image) {
    return image.size() <= memory.size() && std::equal(image.begin(), image.end(), memory.begin());
}

// Where the chip's memory first differs from the image, for the report.
std::string firstDifference(const char* name, const Bytes& memory, const Bytes& image) {
    if (holds(memory, image)) return {};
    if (memory.size() < image.size())
        return std::string(name) + " is " + std::to_string(memory.size()) + " bytes, the image " +
               std::to_string(image.size());
    const auto at = std::mismatch(image.begin(), image.end(), memory.begin()).first - image.begin();
    char text[120];
    std::snprintf(text, sizeof text, "%s differs at 0x%zX: chip %02X, image %02X", name,
                  static_cast<std::size_t>(at), memory[static_cast<std::size_t>(at)],
                  image[static_cast<std::size_t>(at)]);
    return text;
}

// Board replies in the log: a reply is a run of board bytes after host bytes (every command is
// answered before the next is sent).
int repliesIn(const std::vector<sim::LoggedByte>& log) {
    int replies = 0;
    sim::Direction last = sim::Direction::HostToBoard;
    for (const sim::LoggedByte& entry : log) {
        if (entry.direction == sim::Direction::BoardToHost && last == sim::Direction::HostToBoard) ++replies;
        last = entry.direction;
    }
    return replies;
}

// The end of the conversation, where a run's failure and recovery are: ">" host to board,
// "<" board to host, with both ends' speeds and the board's time.
void appendWireTrace(const std::vector<sim::LoggedByte>& log, std::vector<std::string>& texts) {
    const std::size_t from = log.size() > 80 ? log.size() - 80 : 0;
    std::string line;
    for (std::size_t i = from; i < log.size(); ++i) {
        const sim::LoggedByte& b = log[i];
        char text[48];
        std::snprintf(text, sizeof text, "%s%02X@%d/%d@%llums ",
                      b.direction == sim::Direction::HostToBoard ? ">" : "<", b.byte, b.hostBaud, b.boardBaud,
                      static_cast<unsigned long long>(b.timeUs / 1000));
        line += text;
        if (line.size() > 100) {
            texts.push_back("wire: " + line);
            line.clear();
        }
    }
    if (!line.empty()) texts.push_back("wire: " + line);
}

bool isAutoProgramEnd(const std::string& text, const Messages& messages) {
    static constexpr unsigned kEnds[] = {
        msg::AutoprogramErrorErasingDevice,
        msg::AutoprogramErrorFlashNotEmpty,
        msg::AutoprogramErrorCheckingDevice,
        msg::AutoprogramErrorReloadingFlash,
        msg::AutoprogramErrorProgrammingFlash,
        msg::AutoprogramErrorVerifyingFlash,
        msg::AutoprogramErrorReloadingEeprom,
        msg::AutoprogramErrorProgrammingEeprom,
        msg::AutoprogramErrorVerifyingEeprom,
        msg::AutoprogramVerificationFailed,
        msg::AutoprogramErrorNoFlashImage,
        msg::AutoprogramErrorNoEepromImage,
        msg::NoActionsAutoprogram,
    };
    for (unsigned id : kEnds)
        if (text == messages.text(id)) return true;
    return text.rfind("Autoprogram: DONE", 0) == 0;
}

// What the Flash buffer holds after loading the file: an odd size is raised by one 0xFF byte
// (Flash is programmed in words).
Bytes flashBufferOf(const Bytes& image) {
    Bytes buffer = image;
    if (buffer.size() % 2 != 0) buffer.push_back(0xFF);
    return buffer;
}

std::string doneText(const RunDraw& draw, const Messages& messages) {
    const int flash = static_cast<int>(flashBufferOf(draw.flashImage).size());
    const int eeprom = static_cast<int>(draw.eepromImage.size());
    if (flash != 0 && eeprom != 0) return messages.format(msg::AutoprogramDoneBoth, flash, eeprom);
    if (flash != 0) return messages.format(msg::AutoprogramDoneFlash, flash);
    if (eeprom != 0) return messages.format(msg::AutoprogramDoneEeprom, eeprom);
    return messages.text(msg::AutoprogramDoneNothing);
}

// A folder of the run's own for its image files and settings file.
std::string runFolder(int index) {
    const fs::path folder = fs::temp_directory_path() /
                            ("tovel-soak-" + std::to_string(::getpid()) + "-" + std::to_string(index));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

} // namespace

const std::vector<TransferPath>& transferPaths() {
    static const std::vector<TransferPath> paths = {
        {"ATmega8", "AVR page", 512, 64},    {"AT90S2313", "AVR byte", 256, 64},
        {"AT89S52", "AT89S 4-byte", 256, 0}, {"AT89S8252", "AT89S 3-byte", 256, 64},
        {"AT25256", "AT25 page", 0, 256},    {"AT45DB041", "AT45 page", 600, 0},
    };
    return paths;
}

RunDraw drawRun(int index, std::uint64_t seed, const TransferPath& path, ReplyRange replies,
                unsigned timeoutMs) {
    SoakRandom random(seed);
    RunDraw draw;
    draw.index = index;
    draw.seed = seed;
    draw.path = path;
    draw.flashImage = drawImage(random, path.maxFlash);
    draw.eepromImage = drawImage(random, path.maxEeprom);
    draw.flashAsHex = random.chance(50);
    draw.eepromAsHex = random.chance(50);
    draw.reload = random.chance(50);
    draw.checkSignature = random.chance(50);
    draw.polling = random.chance(50);
    draw.baudIndex = static_cast<int>(random.between(0, 2));
    draw.resetStrobeMs = random.chance(50) ? 20 : 100;
    // The faults fall over the replies of this run's clean form, which grow with the images.
    const std::size_t maxBytes = path.maxFlash + path.maxEeprom;
    const double share = maxBytes == 0
                             ? 1.0
                             : static_cast<double>(draw.flashImage.size() + draw.eepromImage.size()) /
                                   static_cast<double>(maxBytes);
    const int expected = replies.smallest + static_cast<int>((replies.largest - replies.smallest) * share);
    draw.faults = planFaults(random, path.device, std::max(1, expected), timeoutMs);
    return draw;
}

RunDraw cleanRun(const TransferPath& path, std::size_t flashSize, std::size_t eepromSize) {
    RunDraw draw;
    draw.path = path;
    draw.flashImage.assign(std::min(flashSize, path.maxFlash), 0x5A);
    draw.eepromImage.assign(std::min(eepromSize, path.maxEeprom), 0xA5);
    draw.faults.options.device = path.device;
    return draw;
}

int silentReadBudget(const RunDraw& draw) {
    const DeviceRecord& device = DeviceTable::device(DeviceTable::findByName(draw.path.device));
    // An AVR erase opens a second session to read the signature back.
    const int eraseSessions = device.spiVariant == SpiAvr && !device.isDataFlash() ? 2 : 1;
    const int memorySessions = 2 * ((draw.flashImage.empty() ? 0 : 1) + (draw.eepromImage.empty() ? 0 : 1));
    return kSilentReadsPerSession * (eraseSessions + memorySessions);
}

RunRecord executeRun(const RunDraw& draw, const SoakSettings& settings, std::uint64_t processingMs,
                     Watchdog& watchdog) {
    RunRecord record;
    auto violation = [&](std::string text) { record.violations.push_back(std::move(text)); };

    const std::string folder = runFolder(draw.index);
    const std::string flashPath = folder + (draw.flashAsHex ? "/flash.hex" : "/flash.bin");
    const std::string eepromPath = folder + (draw.eepromAsHex ? "/eeprom.eep" : "/eeprom.bin");
    if (!draw.flashImage.empty() && !writeImage(flashPath, draw.flashImage, draw.flashAsHex))
        violation("cannot write " + flashPath);
    if (!draw.eepromImage.empty() && !writeImage(eepromPath, draw.eepromImage, draw.eepromAsHex))
        violation("cannot write " + eepromPath);
    const std::uint64_t flashHash = fileHash(flashPath);
    const std::uint64_t eepromHash = fileHash(eepromPath);

    sim::PtyBoardHost host(draw.faults.options);
    if (!host.ok()) {
        violation("simulated board: " + host.error());
        return record;
    }
    // Leftovers of an earlier image, so a missing erase or write shows.
    SoakRandom leftovers(draw.seed ^ 0x5EED);
    Bytes old(draw.path.maxFlash + draw.path.maxEeprom + 64);
    for (std::uint8_t& byte : old) byte = leftovers.byte();
    host.setFlash(0, old);
    host.setEeprom(0, old);

    PortMap ports;
    ports.setOverride(1, host.slavePath());
    PosixSerialChannel channel(ports, settings.timeoutMs);
    SoakChannel link(channel, [&host] { return host.bytesFromHost(); });
    SoakRandom answers(draw.seed ^ 0xA115);
    SoakUi ui([&answers] { return answers.chance(50); });
    VirtualPauseClock clock;
    Messages messages;
    {
        Workbench bench(ui, clock, link, folder + "/tovelisp.ini");
        bench.overridePortAndSpeed(1, draw.baudIndex);
        bench.selectDevice(DeviceTable::findByName(draw.path.device));
        if (!draw.flashImage.empty() && !bench.loadBufferFile(Memory::Flash, flashPath))
            violation("the Flash image did not load");
        if (!draw.eepromImage.empty() && !bench.loadBufferFile(Memory::Eeprom, eepromPath))
            violation("the EEPROM image did not load");
        Project& project = bench.project();
        project.autoErase = true;
        project.autoFlashReload = project.autoEepromReload = draw.reload;
        project.autoFlashProgram = project.autoFlashVerify = true;
        project.autoEepromProgram = project.autoEepromVerify = true;
        project.checkSignature = draw.checkSignature;
        project.polling = draw.polling;
        project.resetStrobeMs = draw.resetStrobeMs;

        record.silentReadBudget = silentReadBudget(draw);
        record.boundMs = static_cast<std::uint64_t>(record.silentReadBudget) * settings.timeoutMs +
                         draw.faults.injectedDelayMs + processingMs;
        char what[160];
        std::snprintf(what, sizeof what, "run %d (%s, seed 0x%016llx)", draw.index, draw.path.device,
                      static_cast<unsigned long long>(draw.seed));
        watchdog.arm(record.boundMs, what);
        const std::uint64_t start = systemClock().tickMs();
        bench.autoProgram();
        record.elapsedMs = systemClock().tickMs() - start;
        watchdog.disarm();

        record.finalStatus = ui.lastStatus();
        const std::vector<std::string> statuses = ui.statuses();
        const bool doneShown = std::any_of(statuses.begin(), statuses.end(), [](const std::string& s) {
            return s.rfind("Autoprogram: DONE", 0) == 0;
        });
        record.reportedSuccess = bench.autoProgramOk() || doneShown;
        if (bench.autoProgramOk() != (record.finalStatus.rfind("Autoprogram: DONE", 0) == 0))
            violation("autoProgramOk disagrees with the final text \"" + record.finalStatus + "\"");
        if (!isAutoProgramEnd(record.finalStatus, messages))
            violation("the run ended on \"" + record.finalStatus + "\", not on an auto-program text");
        if (record.reportedSuccess && record.finalStatus != doneText(draw, messages))
            violation("success reported as \"" + record.finalStatus + "\", expected \"" +
                      doneText(draw, messages) + "\"");
    }
    record.boxes = static_cast<int>(ui.boxes().size());
    if (settings.trace) record.texts = ui.transcript();
    record.questions = ui.questions();
    record.silentReads = link.silentReads();
    record.pausedMs = clock.pausedMs();

    host.waitIdle(500);
    record.chipHoldsImage =
        holds(host.flash(), flashBufferOf(draw.flashImage)) && holds(host.eeprom(), draw.eepromImage);
    const std::vector<sim::LoggedByte> log = host.log();
    record.replies = repliesIn(log);
    if (settings.trace) appendWireTrace(log, record.texts);
    if (record.reportedSuccess && !record.chipHoldsImage)
        violation("success reported but the chip does not hold the image (" +
                  firstDifference("Flash", host.flash(), flashBufferOf(draw.flashImage)) +
                  firstDifference("EEPROM", host.eeprom(), draw.eepromImage) + ")");
    if (record.elapsedMs > record.boundMs)
        violation("took " + std::to_string(record.elapsedMs) + " ms, bound " +
                  std::to_string(record.boundMs) + " ms");
    if (record.silentReads > record.silentReadBudget)
        violation(std::to_string(record.silentReads) + " silent reads, budget " +
                  std::to_string(record.silentReadBudget));
    if (host.boardBaud() != kIdleBaud) {
        violation("board left at " + std::to_string(host.boardBaud()) + " baud" +
                  (host.inProgrammingMode() ? " in programming mode" : ""));
    } else if (host.inProgrammingMode()) {
        violation("board left in programming mode");
    }
    if (link.isConnected()) violation("port left open");
    if (!draw.flashImage.empty() && fileHash(flashPath) != flashHash)
        violation("the Flash image file changed");
    if (!draw.eepromImage.empty() && fileHash(eepromPath) != eepromHash)
        violation("the EEPROM image file changed");

    if (!settings.keepFiles) fs::remove_all(folder);
    return record;
}

} // namespace tovel::soak
