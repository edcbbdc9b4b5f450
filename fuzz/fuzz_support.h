// What the fuzz targets share: a person who is never there (questions get a scripted answer,
// long operations run to their end at once), a clock whose pauses cost nothing, a check that
// traps, and a scratch file of the process's own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "board/operation_runner.h"
#include "core/clock.h"
#include "core/user_interface.h"

namespace tovel::fuzz {

// A broken expectation: says which, then stops the run so libFuzzer keeps the input.
[[noreturn]] inline void expectationFailed(const char* what, int line) {
    std::fprintf(stderr, "expectation failed at line %d: %s\n", line, what);
    __builtin_trap();
}

} // namespace tovel::fuzz

#define FUZZ_REQUIRE(condition)                                                                              \
    ((condition) ? static_cast<void>(0) : ::tovel::fuzz::expectationFailed(#condition, __LINE__))

namespace tovel::fuzz {

class AbsentUi final : public UserInterface {
public:
    // Each question takes the next answer: Yes while `yes` returns true.
    explicit AbsentUi(std::function<bool()> yes = [] { return false; }) : yes_(std::move(yes)) {}
    void setStatus(const std::string&) override {}
    void showInfo(const std::string&) override {}
    void showPlain(const std::string&) override {}
    void showBox(const std::string&, const std::string&, BoxIcon) override {}
    Answer ask(const Question& question) override {
        const bool yes = yes_();
        if (question.buttons == Buttons::OkCancel) return yes ? Answer::Ok : Answer::Cancel;
        return yes ? Answer::Yes : Answer::No;
    }
    void setBusy(bool) override {}
    Outcome runModal(OperationRunner& runner) override {
        if (!runner.launch()) return OperationRunner::kNotStartedResult;
        runner.join();
        return runner.result();
    }
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }

private:
    std::function<bool()> yes_;
};

// Time moves only when the program pauses, so the protocol's waits cost nothing.
class VirtualClock final : public Clock {
public:
    void sleepMs(unsigned milliseconds) override { nowUs_ += std::uint64_t{milliseconds} * 1000; }
    void sleepUs(std::uint64_t microseconds) override { nowUs_ += microseconds; }
    std::uint64_t tickMs() override { return nowUs_ / 1000; }
    std::uint64_t tickUs() override { return nowUs_; }

private:
    std::uint64_t nowUs_ = 0;
};

// A file in the temporary folder named for this process and `name`.
inline std::string scratchPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/tovel-fuzz-" +
           std::to_string(::getpid()) + "-" + name;
}

inline bool writeScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

inline std::string readScratch(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

} // namespace tovel::fuzz
