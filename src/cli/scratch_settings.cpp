#include "cli/scratch_settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tovel::cli {

namespace {

// A settings file is a few hundred bytes; anything far larger is not one.
constexpr std::size_t kMaxSettingsBytes = 1u << 20;

std::string temporaryFolderTemplate() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
    return base + "/tovelisp-cli.XXXXXX";
}

} // namespace

ScratchSettings::ScratchSettings(const std::optional<std::string>& source) {
    std::string folder = temporaryFolderTemplate();
    if (::mkdtemp(folder.data()) == nullptr) return;
    folder_ = folder;
    path_ = folder_ + "/tovelisp.ini";

    std::string contents;
    std::error_code error;
    if (source && std::filesystem::exists(*source, error)) {
        std::ifstream in(*source, std::ios::binary);
        if (!in) return;
        contents.resize(kMaxSettingsBytes + 1);
        in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (in.bad() || static_cast<std::size_t>(in.gcount()) > kMaxSettingsBytes) return;
        contents.resize(static_cast<std::size_t>(in.gcount()));
    }
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << contents;
    ok_ = static_cast<bool>(out);
}

ScratchSettings::~ScratchSettings() {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

} // namespace tovel::cli
