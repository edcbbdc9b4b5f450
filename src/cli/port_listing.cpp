#include "cli/port_listing.h"

#include "board/port_facts.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "board/port_map.h"
#include "cli/cli_texts.h"
#include "cli/text_reporter.h"

namespace tovel::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDevicePrefixes[] = {"ttyS", "ttyUSB", "ttyACM"};

// ttyUSB10 after ttyUSB9.
bool naturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1])) != 0) --digits;
        // The number by hand: more than nine digits sort last.
        unsigned long long number = 0;
        for (std::size_t i = digits; i < s.size(); ++i)
            number = number * 10 + static_cast<unsigned>(s[i] - '0');
        return std::make_pair(s.substr(0, digits), s.size() - digits > 9 ? ~0ull : number);
    };
    return split(a) < split(b);
}

bool isCandidateName(const std::string& name) {
    for (const char* prefix : kDevicePrefixes) {
        const std::string p = prefix;
        if (name.size() > p.size() && name.compare(0, p.size(), p) == 0 &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(p.size()), name.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
            return true;
    }
    return false;
}

// An on-board serial port entry without a UART behind it reports type 0 ("unknown").
bool hasNoUart(const std::string& name, const PortScanRoots& roots) {
    if (name.rfind("ttyS", 0) != 0) return false;
    const fs::path type = fs::path(roots.sys) / "class/tty" / name / "type";
    std::error_code error;
    return fs::exists(type, error) && firstLineOf(type) == "0";
}

// The USB device above the tty in sysfs: manufacturer, product and serial number.
std::string usbDescription(const std::string& name, const PortScanRoots& roots) {
    std::error_code error;
    fs::path dir = fs::canonical(fs::path(roots.sys) / "class/tty" / name / "device", error);
    if (error) return {};
    const fs::path top = fs::path(roots.sys);
    for (int depth = 0; depth < 8 && !dir.empty() && dir != top && dir != dir.root_path(); ++depth) {
        if (fs::exists(dir / "idVendor", error)) {
            std::string text;
            for (const char* field : {"manufacturer", "product"}) {
                const std::string value = firstLineOf(dir / field);
                if (value.empty()) continue;
                if (!text.empty()) text += ' ';
                text += value;
            }
            if (text.empty()) text = firstLineOf(dir / "idVendor") + ":" + firstLineOf(dir / "idProduct");
            const std::string serial = firstLineOf(dir / "serial");
            if (!serial.empty()) text += " (" + serial + ")";
            return text;
        }
        dir = dir.parent_path();
    }
    return {};
}

std::string canonicalOrSelf(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path : resolved.string();
}

int comPortFor(const std::string& path, const PortMap& ports) {
    const std::string target = canonicalOrSelf(path);
    for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
        const std::string mapped = ports.pathFor(n);
        if (mapped == path || canonicalOrSelf(mapped) == target) return n;
    }
    return 0;
}

SerialPortEntry entryFor(const std::string& path, const std::string& ttyName, const PortMap& ports,
                         const PortScanRoots& roots) {
    SerialPortEntry entry;
    entry.path = path;
    entry.description = usbDescription(ttyName, roots);
    entry.accessible = ::access(path.c_str(), R_OK | W_OK) == 0;
    entry.group = deviceGroup(path);
    entry.comPort = comPortFor(path, ports);
    return entry;
}

} // namespace

std::string deviceGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    const group* entry = ::getgrgid(info.st_gid);
    return entry != nullptr ? entry->gr_name : std::to_string(info.st_gid);
}

std::vector<SerialPortEntry> listSerialPorts(const PortMap& ports, const PortScanRoots& roots) {
    std::vector<SerialPortEntry> entries;
    std::error_code error;

    std::vector<std::string> names;
    for (const fs::directory_entry& item : fs::directory_iterator(roots.dev, error)) {
        const std::string name = item.path().filename().string();
        if (isCandidateName(name) && !hasNoUart(name, roots)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), naturalLess);
    for (const std::string& name : names)
        entries.push_back(entryFor((fs::path(roots.dev) / name).string(), name, ports, roots));

    std::vector<std::string> links;
    for (const fs::directory_entry& item :
         fs::directory_iterator(fs::path(roots.dev) / "serial/by-id", error))
        links.push_back(item.path().string());
    std::sort(links.begin(), links.end());
    for (const std::string& link : links) {
        const std::string target = canonicalOrSelf(link);
        SerialPortEntry entry = entryFor(link, fs::path(target).filename().string(), ports, roots);
        entry.linkTarget = target;
        entries.push_back(std::move(entry));
    }
    return entries;
}

void reportSerialPorts(Reporter& reporter, const std::vector<SerialPortEntry>& entries, Language language) {
    if (entries.empty()) {
        reporter.note("hint", cliText(CliText::NoPorts, language));
        return;
    }
    std::vector<std::string> header;
    std::stringstream columns(cliText(CliText::PortsHeader, language));
    for (std::string column; std::getline(columns, column, '|');) header.push_back(column);
    header.resize(4);

    const auto shownPath = [](const SerialPortEntry& entry) {
        return entry.linkTarget.empty() ? entry.path : entry.path + " -> " + entry.linkTarget;
    };
    std::size_t pathWidth = displayWidth(header[0]);
    for (const SerialPortEntry& entry : entries)
        pathWidth = std::max(pathWidth, displayWidth(shownPath(entry)));
    const std::string noAccess = cliText(CliText::PortNoAccess, language);
    const std::string readWrite = cliText(CliText::PortReadWrite, language);
    const std::size_t accessWidth =
        std::max({displayWidth(header[2]), displayWidth(noAccess), displayWidth(readWrite)});
    const auto pad = [](const std::string& text, std::size_t width) {
        return text + std::string(width - std::min(width, displayWidth(text)), ' ');
    };
    const auto line = [&](const std::string& path, const std::string& com, const std::string& access,
                          const std::string& description) {
        std::string text =
            pad(path, pathWidth) + "  " + pad(com, 5) + " " + pad(access, accessWidth) + "  " + description;
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text;
    };

    reporter.heading(line(header[0], header[1], header[2], header[3]));
    std::set<std::string> hintedGroups;
    for (const SerialPortEntry& entry : entries) {
        const std::string com = entry.comPort != 0 ? "COM" + std::to_string(entry.comPort) : "-";
        JsonLine json;
        json.add("type", "port").add("path", entry.path);
        if (!entry.linkTarget.empty()) json.add("target", entry.linkTarget);
        json.add("comPort", entry.comPort)
            .add("accessible", entry.accessible)
            .add("group", entry.group)
            .add("description", entry.description);
        reporter.record(
            json, line(shownPath(entry), com, entry.accessible ? readWrite : noAccess, entry.description));
    }
    for (const SerialPortEntry& entry : entries) {
        if (entry.accessible || entry.group.empty() || entry.group == "root" ||
            !hintedGroups.insert(entry.group).second)
            continue;
        reporter.note("hint", formatCliText(language, CliText::PermissionHint, entry.path.c_str(),
                                            entry.group.c_str(), entry.group.c_str()));
    }
}

} // namespace tovel::cli
