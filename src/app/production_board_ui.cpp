#include "app/production_board_ui.h"

namespace tovel::app {

ProductionBoardUi::ProductionBoardUi(TextSink status, PercentSink progress)
    : status_(std::move(status)), progress_(std::move(progress)), host_(this) {}

void ProductionBoardUi::setStatus(const std::string& text) {
    if (muted_) return;
    {
        std::lock_guard lock(mutex_);
        lastStatus_ = text;
    }
    if (status_) status_(text);
}

std::string ProductionBoardUi::lastStatus() const {
    std::lock_guard lock(mutex_);
    return lastStatus_;
}

Answer ProductionBoardUi::ask(const Question& question) {
    // The answer that writes nothing the job did not ask for.
    if (question.buttons == Buttons::OkCancel) return Answer::Cancel;
    return Answer::No;
}

Outcome ProductionBoardUi::runModal(OperationRunner& runner) {
    const Outcome result = host_.runModal(runner);
    if (progress_) progress_(100);
    return result;
}

void ProductionBoardUi::setBar(int percent) {
    if (!muted_ && progress_) progress_(percent);
}

} // namespace tovel::app
