// `ports` over a folder tree laid out like /dev and /sys: which devices are listed, in what order,
// with their USB description and COM number, and the advice for a port this user may not open.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <unistd.h>

#include "board/port_map.h"
#include "cli/json_reporter.h"
#include "cli/port_listing.h"
#include "cli/text_reporter.h"
#include "unit/image_test_files.h"

namespace tovel::cli {
namespace {

namespace fs = std::filesystem;

class FakeSystem {
public:
    FakeSystem() {
        roots.dev = folder.file("dev");
        roots.sys = folder.file("sys");
        fs::create_directories(roots.dev);
        fs::create_directories(fs::path(roots.sys) / "class/tty");
    }

    std::string device(const std::string& name) {
        const std::string path = roots.dev + "/" + name;
        test::writeFile(path, "");
        return path;
    }
    // A tty with sysfs entries as the kernel makes them; `usb` puts a USB device above it.
    void tty(const std::string& name, const std::string& type, bool usb) {
        const fs::path devices = fs::path(roots.sys) / "devices";
        const fs::path usbDevice = devices / "pci0000:00/usb1/1-1";
        const fs::path port = usb ? usbDevice / "1-1:1.0" / name : devices / "platform/serial8250" / name;
        fs::create_directories(port / "tty" / name);
        fs::create_symlink(port, port / "tty" / name / "device");
        fs::create_directory_symlink(port / "tty" / name, fs::path(roots.sys) / "class/tty" / name);
        if (!type.empty()) test::writeFile((port / "tty" / name / "type").string(), type + "\n");
        if (usb) {
            test::writeFile((usbDevice / "idVendor").string(), "0403\n");
            test::writeFile((usbDevice / "idProduct").string(), "6001\n");
            test::writeFile((usbDevice / "manufacturer").string(), "FTDI\n");
            test::writeFile((usbDevice / "product").string(), "FT232R USB UART\n");
            test::writeFile((usbDevice / "serial").string(), "A50285BI\n");
        }
    }

    test::ScratchFolder folder;
    PortScanRoots roots;
};

TEST(CliPorts, ListsSerialDevicesWithDescriptionsAndComNumbers) {
    FakeSystem system;
    const std::string s0 = system.device("ttyS0");
    system.tty("ttyS0", "4", false);
    system.device("ttyS1"); // no UART behind it
    system.tty("ttyS1", "0", false);
    const std::string usb10 = system.device("ttyUSB10");
    const std::string usb2 = system.device("ttyUSB2");
    system.tty("ttyUSB2", "", true);
    system.device("tty0");    // a console, not a serial port
    system.device("ttyUSBx"); // not a numbered device
    fs::create_directories(system.roots.dev + "/serial/by-id");
    const std::string link = system.roots.dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    fs::create_symlink(usb2, link);

    PortMap ports;
    ports.setOverride(1, s0);
    ports.setOverride(5, link); // the settings file names the stable link
    const std::vector<SerialPortEntry> entries = listSerialPorts(ports, system.roots);

    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].path, s0);
    EXPECT_EQ(entries[0].comPort, 1);
    EXPECT_EQ(entries[0].description, "");
    EXPECT_EQ(entries[1].path, usb2); // ttyUSB2 before ttyUSB10
    EXPECT_EQ(entries[1].description, "FTDI FT232R USB UART (A50285BI)");
    EXPECT_EQ(entries[1].comPort, 5); // through the link
    EXPECT_EQ(entries[2].path, usb10);
    EXPECT_EQ(entries[2].comPort, 0);
    EXPECT_EQ(entries[3].path, link);
    EXPECT_EQ(entries[3].linkTarget, fs::canonical(usb2).string());
    EXPECT_EQ(entries[3].description, "FTDI FT232R USB UART (A50285BI)");
    EXPECT_EQ(entries[3].comPort, 5);
    EXPECT_TRUE(entries[0].accessible);
}

TEST(CliPorts, TheListingAndThePermissionAdvice) {
    SerialPortEntry open{"/dev/ttyUSB0", "", "FTDI FT232R USB UART", true, "dialout", 5};
    SerialPortEntry closed{"/dev/ttyACM0", "", "", false, "dialout", 0};
    SerialPortEntry closedToo{"/dev/ttyS0", "", "", false, "dialout", 1};
    std::ostringstream out;
    std::ostringstream err;
    TextReporter text(out, err, false, 80);
    reportSerialPorts(text, {open, closed, closedToo}, Language::English);
    EXPECT_EQ(out.str(), "Port          COM   Access      Description\n"
                         "/dev/ttyUSB0  COM5  read/write  FTDI FT232R USB UART\n"
                         "/dev/ttyACM0  -     no access\n"
                         "/dev/ttyS0    COM1  no access\n");
    // Once per group.
    EXPECT_EQ(err.str(),
              "You may not open /dev/ttyACM0: it belongs to the group 'dialout'. Add yourself to that "
              "group (sudo usermod -aG dialout $USER), then log out and in again.\n");

    std::ostringstream json;
    JsonReporter scripts(json);
    reportSerialPorts(scripts, {open}, Language::English);
    EXPECT_EQ(json.str(),
              R"({"type":"port","path":"/dev/ttyUSB0","comPort":5,"accessible":true,"group":"dialout",)"
              R"("description":"FTDI FT232R USB UART"})"
              "\n");

    std::ostringstream none;
    std::ostringstream noneErr;
    TextReporter empty(none, noneErr, false, 80);
    reportSerialPorts(empty, {}, Language::English);
    EXPECT_EQ(none.str(), "");
    EXPECT_NE(noneErr.str().find("No serial ports found"), std::string::npos);
}

} // namespace
} // namespace tovel::cli
