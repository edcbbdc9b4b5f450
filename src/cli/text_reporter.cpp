#include "cli/text_reporter.h"

#include <algorithm>
#include <cstdio>

namespace tovel::cli {

namespace {

constexpr const char* kEraseLine = "\r\033[K";
constexpr int kMinBarWidth = 10;
constexpr int kMaxBarWidth = 40;
constexpr int kPlainPercentStep = 10;
constexpr int kTailReserve = 22; // " 100% completed  12:34"

std::string elapsedText(std::chrono::steady_clock::duration elapsed) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

} // namespace

std::size_t displayWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

TextReporter::TextReporter(std::ostream& out, std::ostream& err, bool terminal, int width)
    : out_(out), err_(err), terminal_(terminal), width_(width) {}

void TextReporter::endBar() {
    if (!barShown_) return;
    out_ << kEraseLine << std::flush;
    barShown_ = false;
}

void TextReporter::status(const std::string& text) {
    std::lock_guard lock(mutex_);
    endBar();
    out_ << text << '\n' << std::flush;
}

void TextReporter::box(const std::string& caption, const std::string& text, BoxIcon /*icon*/) {
    std::lock_guard lock(mutex_);
    endBar();
    err_ << caption << ": " << text << '\n' << std::flush;
}

void TextReporter::question(const std::string& caption, const std::string& text, Answer /*answer*/,
                            const std::string& answerWord) {
    std::lock_guard lock(mutex_);
    endBar();
    err_ << caption << ": " << text << " -> " << answerWord << '\n' << std::flush;
}

std::string TextReporter::barLine(const ProgressStep& step) const {
    std::string head = step.title.empty() ? step.text : step.title + ": " + step.text;
    const std::string tail =
        " " + (step.percentText.empty() ? std::to_string(step.percent) + "%" : step.percentText) + "  " +
        elapsedText(std::chrono::steady_clock::now() - started_);
    // The bar keeps its width while the percent text grows ("0%" .. "100% completed").
    const int tailWidth = std::max(static_cast<int>(displayWidth(tail)), kTailReserve);
    const int room = width_ - 1 - static_cast<int>(displayWidth(head)) - tailWidth - 3;
    const int barWidth = std::clamp(room, kMinBarWidth, kMaxBarWidth);
    const int filled = barWidth * std::clamp(step.percent, 0, 100) / 100;
    return head + " [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(barWidth - filled), '.') + "]" + tail;
}

void TextReporter::progress(const ProgressStep& step) {
    std::lock_guard lock(mutex_);
    if (!terminal_) {
        // A log that a person reads: the operation, then every tenth percent.
        if (step.first) {
            out_ << (step.title.empty() ? step.text : step.title + ": " + step.text) << '\n' << std::flush;
            lastPlainPercent_ = 0;
        } else if (!step.percentText.empty() &&
                   step.percent / kPlainPercentStep > lastPlainPercent_ / kPlainPercentStep) {
            out_ << step.percentText << '\n' << std::flush;
            lastPlainPercent_ = step.percent;
        }
        return;
    }
    if (step.first || !barShown_) started_ = std::chrono::steady_clock::now();
    out_ << kEraseLine << barLine(step) << std::flush;
    barShown_ = true;
}

void TextReporter::progressEnd() {
    std::lock_guard lock(mutex_);
    endBar();
}

void TextReporter::record(const JsonLine& /*json*/, const std::string& text) {
    std::lock_guard lock(mutex_);
    endBar();
    out_ << text << '\n' << std::flush;
}

void TextReporter::note(const std::string& /*type*/, const std::string& text) {
    std::lock_guard lock(mutex_);
    endBar();
    err_ << text << '\n' << std::flush;
}

void TextReporter::result(const JsonLine& /*json*/, const std::string& failureText) {
    std::lock_guard lock(mutex_);
    endBar();
    if (!failureText.empty()) err_ << failureText << '\n' << std::flush;
}

} // namespace tovel::cli
