#include "support/fake_system_tree.h"

#include <filesystem>
#include <fstream>

namespace tovel::test {

namespace fs = std::filesystem;

namespace {

void writeLine(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << '\n';
}

} // namespace

std::string FakeSystemTree::addAdapter(const std::string& device, const FakeAdapter& adapter) {
    const fs::path root(root_);
    const fs::path usb = root / "sys/devices/pci0000:00/usb1/1-2";
    const fs::path port = usb / "1-2:1.0" / adapter.ttyName;
    fs::create_directories(port);
    writeLine(usb / "idVendor", adapter.vendorId);
    writeLine(usb / "idProduct", adapter.productId);
    writeLine(usb / "product", adapter.product);
    writeLine(usb / "serial", adapter.serial);
    if (adapter.latencyMs >= 0) writeLine(port / "latency_timer", std::to_string(adapter.latencyMs));
    const fs::path drivers = root / "sys/bus/usb-serial/drivers" / adapter.driver;
    fs::create_directories(drivers);
    fs::create_directory_symlink(drivers, port / "driver");
    const fs::path classEntry = root / "sys/class/tty" / adapter.ttyName;
    fs::create_directories(classEntry);
    fs::create_directory_symlink(port, classEntry / "device");

    const fs::path dev = root / "dev" / adapter.ttyName;
    fs::create_directories(dev.parent_path());
    fs::create_symlink(device, dev);
    const fs::path byId = root / "dev/serial/by-id";
    fs::create_directories(byId);
    std::string name = "usb-FTDI_" + adapter.product + "_" + adapter.serial + "-if00-port0";
    for (char& c : name)
        if (c == ' ') c = '_';
    fs::create_symlink(dev, byId / name);
    return dev.string();
}

void FakeSystemTree::addHolder(int pid, const std::string& name, const std::string& path) {
    const fs::path process = fs::path(root_) / "proc" / std::to_string(pid);
    fs::create_directories(process / "fd");
    writeLine(process / "comm", name);
    fs::create_symlink(path, process / "fd/7");
}

} // namespace tovel::test
