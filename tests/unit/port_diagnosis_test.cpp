#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "board/port_map.h"
#include "board/port_open_error.h"
#include "board/posix_serial_channel.h"
#include "support/fake_system_tree.h"
#include "support/pty_pair.h"
#include "unit/image_test_files.h"

using namespace tovel;
using tovel::test::FakeSystemTree;

namespace {

// What the box says when `path` is opened as the port, in `language`.
std::string openFailureText(const std::string& path, Language language = Language::English,
                            const SystemPaths& system = {}) {
    PortMap ports;
    PosixSerialChannel channel(ports, 100);
    if (channel.openPath(path, SerialChannel::kBaud19200)) return "opened";
    const std::optional<PortOpenFailure> failure = channel.lastOpenFailure();
    if (!failure) return "no failure recorded";
    return describePortOpenFailure(*failure, Messages(language), system);
}

} // namespace

TEST(PortOpenError, FilesThatAreNoSerialPortEachSayWhatTheyAre) {
    test::ScratchFolder folder;
    const std::string file = folder.file("image.hex");
    test::writeFile(file, ":00000001FF\n");
    const std::string fifo = folder.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string dir = folder.file("folder");
    std::filesystem::create_directory(dir);

    EXPECT_EQ(openFailureText(file), "Connection error: " + file + " is a regular file, not a serial port.");
    EXPECT_EQ(openFailureText(dir), "Connection error: " + dir + " is a folder, not a serial port.");
    EXPECT_EQ(openFailureText(fifo),
              "Connection error: " + fifo + " is a named pipe (FIFO), not a serial port.");
    EXPECT_EQ(openFailureText("/dev/null"),
              "Connection error: /dev/null is a device, but not a serial port.");
    EXPECT_EQ(openFailureText(folder.file("ttyUSB9")),
              "Connection error: there is no port " + folder.file("ttyUSB9") + ".");
    EXPECT_EQ(openFailureText(fifo, Language::Russian),
              "Ошибка соединения: " + fifo + " — именованный канал (FIFO), а не последовательный порт.");
    EXPECT_EQ(openFailureText("/dev/null", Language::Russian),
              "Ошибка соединения: /dev/null — устройство, но не последовательный порт.");
}

TEST(PortOpenError, APortInUseNamesTheProcessThatHoldsIt) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    test::ScratchFolder folder;
    FakeSystemTree tree(folder.file("root"));
    tree.addHolder(812, "ModemManager", pty.slavePath());
    const SystemPaths system{tree.root()};
    const PortOpenFailure busy{pty.slavePath(), PortOpenFailure::Stage::Open, EBUSY};

    const std::string english = describePortOpenFailure(busy, Messages(Language::English), system);
    EXPECT_EQ(
        english.rfind("Connection error: " + pty.slavePath() + " is in use by ModemManager (process 812)", 0),
        0u)
        << english;
    EXPECT_NE(english.find("60-tovelisp-serial.rules"), std::string::npos);
    const std::string russian = describePortOpenFailure(busy, Messages(Language::Russian), system);
    EXPECT_NE(russian.find("занят программой ModemManager (процесс 812)"), std::string::npos) << russian;

    FakeSystemTree other(folder.file("other"));
    other.addHolder(77, "minicom", pty.slavePath());
    const PortOpenFailure locked{pty.slavePath(), PortOpenFailure::Stage::Lock, EWOULDBLOCK};
    EXPECT_EQ(describePortOpenFailure(locked, Messages(), SystemPaths{other.root()}),
              "Connection error: " + pty.slavePath() +
                  " is in use by minicom (process 77). Close that program and "
                  "try again.");
    // Nobody visible: the holder cannot be named.
    EXPECT_EQ(describePortOpenFailure(locked, Messages(), SystemPaths{folder.file("empty")}),
              Messages().text(msg::CannotOpenComPort));
}

TEST(PortInspection, AUsbAdapterIsDescribedFromTheSystemTree) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    test::ScratchFolder folder;
    FakeSystemTree tree(folder.file("root"));
    const std::string port = tree.addAdapter(pty.slavePath());
    tree.addHolder(4242, "ModemManager", pty.slavePath());

    const PortFacts facts = inspectPort(port, SystemPaths{tree.root()});
    EXPECT_EQ(facts.kind, PortFileKind::CharacterDevice);
    ASSERT_EQ(facts.holders.size(), 1u);
    EXPECT_EQ(facts.holders[0].pid, 4242);
    EXPECT_EQ(facts.holders[0].name, "ModemManager");
    ASSERT_TRUE(facts.usb.has_value());
    EXPECT_EQ(facts.usb->driver, "ftdi_sio");
    EXPECT_EQ(facts.usb->vendorId + ":" + facts.usb->productId, "0403:6001");
    EXPECT_EQ(facts.usb->serialNumber, "A50285BI");
    EXPECT_EQ(facts.usb->byIdPath, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(facts.usb->latencyTimerMs, 16);

    // The process on the master side of the terminal (the board's end of the line) is no holder.
    const std::string index = std::filesystem::path(pty.slavePath()).filename().string();
    const std::filesystem::path master = std::filesystem::path(tree.root()) / "proc/555";
    std::filesystem::create_directories(master / "fdinfo");
    std::filesystem::create_directories(master / "fd");
    std::filesystem::create_symlink("/dev/ptmx", master / "fd/3");
    test::writeFile((master / "fdinfo/3").string(), "pos:\t0\ntty-index:\t" + index + "\n");
    std::filesystem::create_symlink(pty.slavePath(), master / "fd/6");
    test::writeFile((master / "comm").string(), "tovel-sim\n");
    EXPECT_EQ(findPortHolders(port, SystemPaths{tree.root()}).size(), 1u);

    // The same terminal without a sysfs entry: no adapter facts, and this process itself is no holder.
    const PortFacts plain = inspectPort(pty.slavePath());
    EXPECT_FALSE(plain.usb.has_value());
    EXPECT_TRUE(plain.holders.empty());
}

// Permission is judged by the kernel; root is let through anything, so the open runs as nobody.
TEST(PortOpenError, PermissionDeniedSaysWhichGroupOrRuleHelps) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const auto asNobody = [&](mode_t mode) {
        ::chmod(pty.slavePath().c_str(), mode);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return std::string("no pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            const std::string text = openFailureText(pty.slavePath());
            (void)!::write(pipeFds[1], text.data(), text.size());
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeFds[0]);
        ::waitpid(child, nullptr, 0);
        return text;
    };
    // The port belongs to a group nobody is not in, as a serial port belongs to dialout.
    const group* entry = ::getgrnam("dialout");
    if (entry == nullptr) entry = ::getgrnam("tty");
    if (entry == nullptr) GTEST_SKIP() << "no dialout or tty group";
    const std::string group = entry->gr_name;
    ASSERT_EQ(::chown(pty.slavePath().c_str(), 0, entry->gr_gid), 0);

    const std::string closed = asNobody(0000);
    EXPECT_EQ(closed.rfind("Connection error: you may not open " + pty.slavePath() + " (owner root, group " +
                               group + ", mode 0000)",
                           0),
              0u)
        << closed;
    EXPECT_NE(closed.find("60-tovelisp-serial.rules"), std::string::npos);

    const std::string groupOnly = asNobody(0660);
    EXPECT_EQ(groupOnly, "Connection error: you may not open " + pty.slavePath() +
                             ": it belongs to the group '" + group + "'. Join that group (sudo usermod -aG " +
                             group + " $USER), then log out and in again.");
}
