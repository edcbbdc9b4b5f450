#include "cli/gang_progress.h"

namespace tovel::cli {

GangProgress::GangProgress(Reporter& shared, std::vector<std::string> labels)
    : shared_(shared), labels_(std::move(labels)), percents_(labels_.size(), -1) {}

void GangProgress::update(std::size_t board, int percent) {
    std::lock_guard lock(mutex_);
    if (board >= percents_.size()) return;
    percents_[board] = percent;
    draw();
}

void GangProgress::end(std::size_t board) {
    std::lock_guard lock(mutex_);
    if (board >= percents_.size()) return;
    percents_[board] = -1;
    for (const int percent : percents_)
        if (percent >= 0) return draw();
    shared_.progressEnd();
}

void GangProgress::draw() {
    ProgressStep step;
    int sum = 0;
    int running = 0;
    for (std::size_t k = 0; k < labels_.size(); ++k) {
        if (percents_[k] < 0) continue;
        if (!step.text.empty()) step.text += ' ';
        step.text += "[" + labels_[k] + "] " + std::to_string(percents_[k]) + "%";
        sum += percents_[k];
        ++running;
    }
    step.percent = running > 0 ? sum / running : 0;
    shared_.progress(step);
}

} // namespace tovel::cli
