// Feeds arbitrary bytes to the INI layer and to the project file on top of it. Beyond not
// crashing, hanging or touching memory out of bounds:
//   - the document text is a fixed point after one parse (parse, write out, parse: same text),
//     except for lines that end in a doubled CR;
//   - the bytes load as a project exactly when they hold the key Files/Flash;
//   - a loaded project saved and loaded again has the same settings, and saving it a second
//     time writes the same file (again except for doubled CRs).
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "i18n/messages.h"
#include "project/ini_file.h"
#include "project/project.h"
#include "project/project_file_format.h"

using namespace tovel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const IniFile parsed = IniFile::parse(text);
    const std::string once = parsed.text();
    // A line whose text ends in CR (a CR doubled before the line end) loses that CR to the
    // line end each time it is written and read: the only way the text moves after one pass.
    const bool doubledCr = text.find("\r\r") != std::string_view::npos;
    if (!doubledCr) FUZZ_REQUIRE(IniFile::parse(once).text() == once);

    static const std::string path = fuzz::scratchPath("project.tvl");
    if (!fuzz::writeScratch(path, data, size)) return 0;
    fuzz::AbsentUi ui;
    const Messages messages;
    Project project(ui, messages);
    const bool loaded = project.load(path);
    FUZZ_REQUIRE(loaded == isProjectFile(parsed));
    if (!loaded) return 0;

    const ProjectSettings settings = project.settings();
    FUZZ_REQUIRE(project.save(path));
    const std::string saved = fuzz::readScratch(path);
    Project again(ui, messages);
    FUZZ_REQUIRE(again.load(path));
    FUZZ_REQUIRE(again.settings() == settings);
    FUZZ_REQUIRE(again.save(path));
    if (!doubledCr) FUZZ_REQUIRE(fuzz::readScratch(path) == saved);
    return 0;
}
