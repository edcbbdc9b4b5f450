#include "cli/device_listing.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "cli/cli_texts.h"
#include "devices/device_table.h"

namespace tovel::cli {

namespace {

std::vector<std::string> splitColumns(const char* header) {
    std::vector<std::string> columns;
    std::stringstream in(header);
    std::string column;
    while (std::getline(in, column, '|')) columns.push_back(column);
    columns.resize(7);
    return columns;
}

std::string row(const std::string& no, const std::string& name, const std::string& family,
                const std::string& flash, const std::string& eeprom, const std::string& page,
                const std::string& signature) {
    char line[160];
    std::snprintf(line, sizeof line, "%-3s %-16s %-10s %9s %7s %5s  %s", no.c_str(), name.c_str(),
                  family.c_str(), flash.c_str(), eeprom.c_str(), page.c_str(), signature.c_str());
    return line;
}

} // namespace

void listDevices(Reporter& reporter, Language language) {
    const std::vector<std::string> h = splitColumns(cliText(CliText::DevicesHeader, language));
    reporter.heading(row(h[0], h[1], h[2], h[3], h[4], h[5], h[6]));
    for (int n = 0; n < DeviceTable::deviceCount(); ++n) {
        const DeviceRecord& device = DeviceTable::device(n);
        // An AT45 row keeps its page-address shift where other rows keep the EEPROM size.
        const unsigned eeprom = device.isDataFlash() ? 0u : device.eepromSize;
        char signature[16];
        std::snprintf(signature, sizeof signature, "%02X %02X %02X", device.signature[0], device.signature[1],
                      device.signature[2]);
        const char* family = DeviceTable::familyName(familyPosition(device.family));
        JsonLine json;
        json.add("type", "device")
            .add("number", n)
            .add("name", device.name)
            .add("family", family)
            .add("flash", device.flashSize)
            .add("eeprom", eeprom)
            .add("page", device.pageSize)
            .add("signature", signature);
        reporter.record(json, row(std::to_string(n), device.name, family, std::to_string(device.flashSize),
                                  std::to_string(eeprom), std::to_string(device.pageSize), signature));
    }
}

} // namespace tovel::cli
