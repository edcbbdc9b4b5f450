// Helpers for the command-line tests: a scratch folder with an empty settings file and the
// example project, runs of the front end in this process, and small projects that run fast.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_main.h"
#include "unit/image_test_files.h"

namespace tovel::test {

struct CliResult {
    int exit = -1;
    std::string out;
    std::string err;

    bool outHas(const std::string& text) const { return out.find(text) != std::string::npos; }
    bool errHas(const std::string& text) const { return err.find(text) != std::string::npos; }
    std::vector<std::string> outLines() const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

class CliBench {
public:
    CliBench() { writeFile(settings(), ""); }

    std::string file(const std::string& name) const { return folder.file(name); }
    std::string settings() const { return folder.file("settings.ini"); }

    // Copies examples/atmega8 here; `fast` shortens its reset strobe so auto-program runs quickly.
    std::string example(bool fast = true) const {
        for (const char* name : {"blink.tvl", "blink.hex", "blink.eep"})
            std::filesystem::copy_file(std::string(TOVEL_SOURCE_DIR) + "/examples/atmega8/" + name,
                                       file(name), std::filesystem::copy_options::overwrite_existing);
        if (fast) replaceInFile(file("blink.tvl"), "ResetStrobeLength=100", "ResetStrobeLength=2");
        return file("blink.tvl");
    }

    // An ATmega8 project whose auto-program writes and verifies an 8-byte EEPROM image holding a
    // serial number at 0..3 (starting at `first`) and increments it after every chip.
    std::string counterProject(unsigned first = 1) const {
        writeFile(file("counter.bin"),
                  std::vector<std::uint8_t>{static_cast<std::uint8_t>(first >> 24),
                                            static_cast<std::uint8_t>(first >> 16),
                                            static_cast<std::uint8_t>(first >> 8),
                                            static_cast<std::uint8_t>(first), 0xC0, 0xDE, 0x12, 0x34});
        writeFile(file("counter.tvl"), "[Files]\nFlash=[Unspecified]\nEeprom=counter.bin\n"
                                       "[Settings]\nResetStrobeLength=2\nCheckSign=1\n"
                                       "[AutoProgram]\nAutoEepromProgram=1\nAutoEepromVerify=1\n"
                                       "AutoIncrement=1\nAutoIncAddress=3\n[Device]\nDeviceNo=9\n");
        return file("counter.tvl");
    }

    static void replaceInFile(const std::string& path, const std::string& from, const std::string& to) {
        std::string text = readFile(path);
        const std::size_t at = text.find(from);
        if (at != std::string::npos) text.replace(at, from.size(), to);
        writeFile(path, text);
    }

    // tovelisp-cli in this process, with the scratch settings file and English texts.
    CliResult run(std::vector<std::string> arguments, const std::string& input = {},
                  const cli::CliEnvironment& environment = {}) const {
        arguments.insert(arguments.begin(), {"tovelisp-cli", "--settings", settings()});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(input);
        CliResult result;
        result.exit = cli::runCli(static_cast<int>(arguments.size()), argv.data(), out, err, in, environment);
        result.out = out.str();
        result.err = err.str();
        return result;
    }

    ScratchFolder folder;
};

} // namespace tovel::test
