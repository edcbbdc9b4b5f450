// A made-up /proc, /sys and /dev below a scratch folder, for the port checks: a USB-serial adapter
// (FTDI by default) whose tty entry leads to a given device, and processes holding files.
#pragma once

#include <string>

namespace tovel::test {

struct FakeAdapter {
    std::string ttyName = "ttyUSB0";
    std::string driver = "ftdi_sio";
    std::string vendorId = "0403";
    std::string productId = "6001";
    std::string product = "FT232R USB UART";
    std::string serial = "A50285BI";
    int latencyMs = 16; // negative: no latency_timer file (not an FTDI)
};

class FakeSystemTree {
public:
    explicit FakeSystemTree(std::string root) : root_(std::move(root)) {}
    const std::string& root() const { return root_; }

    // <root>/dev/<tty> is a link to `device` (a real terminal), with the adapter's sysfs entry and
    // a /dev/serial/by-id link to it. Returns the <root>/dev path.
    std::string addAdapter(const std::string& device, const FakeAdapter& adapter = {});
    // Process `pid` named `name` has `path` open.
    void addHolder(int pid, const std::string& name, const std::string& path);

private:
    std::string root_;
};

} // namespace tovel::test
