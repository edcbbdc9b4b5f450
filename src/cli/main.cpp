// tovelisp-cli: the command-line front end. For now it lists the supported chips.
#include <cstdio>
#include <cstring>

#include "devices/device_table.h"

using namespace tovel;

namespace {

void printDevices() {
    std::printf("%-3s %-16s %-10s %9s %7s %5s  %s\n", "No", "Name", "Family", "Flash", "EEPROM", "Page",
                "Signature");
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& row = DeviceTable::device(n);
        std::printf("%-3d %-16s %-10s %9u %7u %5u  %02X %02X %02X\n", n, row.name,
                    DeviceTable::familyName(static_cast<int>(row.family)), row.flashSize,
                    row.family == FamilyAt45 ? 0u : row.eepromSize, row.pageSize, row.signature[0],
                    row.signature[1], row.signature[2]);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "devices") == 0) {
        printDevices();
        return 0;
    }
    std::fprintf(stderr, "usage: tovelisp-cli devices\n");
    return 2;
}
