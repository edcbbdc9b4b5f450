#include "sim/state_file.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tovel::sim {

namespace {

constexpr const char* kHeader = "tovel-sim state 1";

void writeHexLine(std::ostream& out, const char* key, const std::uint8_t* bytes, std::size_t count) {
    out << key;
    char text[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, " %02X", bytes[i]);
        out << text;
    }
    out << '\n';
}

bool parseHexLine(const std::string& rest, std::uint8_t* bytes, std::size_t count) {
    std::istringstream in(rest);
    for (std::size_t i = 0; i < count; ++i) {
        std::string token;
        if (!(in >> token) || token.size() > 2 || token.empty()) return false;
        char* end = nullptr;
        const unsigned long value = std::strtoul(token.c_str(), &end, 16);
        if (end == nullptr || *end != '\0' || value > 0xFF) return false;
        bytes[i] = static_cast<std::uint8_t>(value);
    }
    std::string extra;
    return !(in >> extra);
}

bool readSection(std::istream& in, const std::string& countText, std::vector<std::uint8_t>& target) {
    char* end = nullptr;
    const unsigned long long count = std::strtoull(countText.c_str(), &end, 10);
    if (countText.empty() || end == nullptr || *end != '\0' || count != target.size()) return false;
    std::vector<std::uint8_t> bytes(target.size());
    if (!bytes.empty() &&
        !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return false;
    if (in.get() != '\n') return false;
    target.swap(bytes);
    return true;
}

} // namespace

bool saveState(const std::string& path, const std::string& device, const ChipMemories& memories,
               std::string& error) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot write " + temporary + ": " + std::strerror(errno);
            return false;
        }
        out << kHeader << '\n' << "device " << device << '\n';
        out << "flash " << memories.flash.size() << '\n';
        out.write(reinterpret_cast<const char*>(memories.flash.data()),
                  static_cast<std::streamsize>(memories.flash.size()));
        out << '\n' << "eeprom " << memories.eeprom.size() << '\n';
        out.write(reinterpret_cast<const char*>(memories.eeprom.data()),
                  static_cast<std::streamsize>(memories.eeprom.size()));
        out << '\n';
        writeHexLine(out, "fuses", memories.fuses.data(), memories.fuses.size());
        writeHexLine(out, "lock", &memories.lock, 1);
        writeHexLine(out, "calibration", memories.calibration.data(), memories.calibration.size());
        out.flush();
        if (!out) {
            error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

StateLoad loadState(const std::string& path, const std::string& device, ChipMemories& memories,
                    std::string* foundDevice) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return StateLoad::Missing;
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return StateLoad::Damaged;
    if (!std::getline(in, line) || line.rfind("device ", 0) != 0) return StateLoad::Damaged;
    if (foundDevice != nullptr) *foundDevice = line.substr(7);
    if (strcasecmp(line.substr(7).c_str(), device.c_str()) != 0) return StateLoad::OtherDevice;

    ChipMemories loaded = memories;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        bool ok = false;
        if (key == "flash")
            ok = readSection(in, rest, loaded.flash);
        else if (key == "eeprom")
            ok = readSection(in, rest, loaded.eeprom);
        else if (key == "fuses")
            ok = parseHexLine(rest, loaded.fuses.data(), loaded.fuses.size());
        else if (key == "lock")
            ok = parseHexLine(rest, &loaded.lock, 1);
        else if (key == "calibration")
            ok = parseHexLine(rest, loaded.calibration.data(), loaded.calibration.size());
        if (!ok) return StateLoad::Damaged;
    }
    memories = std::move(loaded);
    return StateLoad::Loaded;
}

} // namespace tovel::sim
