// Feeds arbitrary command lines to tovelisp-cli's parser: the input split at NUL bytes into
// arguments. Nothing may crash or read out of bounds, a usage error must describe itself in
// both languages (its texts carry the arguments as typed), and parsing is repeatable.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "devices/device_table.h"
#include "fuzz/fuzz_support.h"

using namespace tovel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    if (arguments.size() > 64) return 0;

    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    const cli::ParsedCommandLine again = cli::parseCommandLine(arguments);
    FUZZ_REQUIRE(parsed.error.has_value() == again.error.has_value());
    if (parsed.error) {
        FUZZ_REQUIRE(!parsed.error->describe(Language::English).empty());
        FUZZ_REQUIRE(!parsed.error->describe(Language::Russian).empty());
        return 0;
    }
    const cli::CliOptions& options = parsed.options;
    FUZZ_REQUIRE(options.command == again.options.command && options.files == again.options.files);
    if (options.deviceNo) FUZZ_REQUIRE(DeviceTable::isValidDeviceNo(*options.deviceNo));
    if (options.baudIndex) FUZZ_REQUIRE(*options.baudIndex >= 0 && *options.baudIndex <= 2);
    for (const std::string& argument : arguments) {
        const int device = cli::deviceFromArgument(argument);
        FUZZ_REQUIRE(device == -1 || DeviceTable::isValidDeviceNo(device));
    }
    return 0;
}
