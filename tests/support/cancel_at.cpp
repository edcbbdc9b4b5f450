#include "support/cancel_at.h"

namespace tovel::test {

std::vector<std::string> CancelAt::seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

void CancelAt::setTitle(const std::string& title) {
    {
        std::lock_guard lock(mutex_);
        seen_.push_back(title);
    }
    if (percent_ == 0) cancel();
}

void CancelAt::setText(const std::string& text) {
    std::lock_guard lock(mutex_);
    seen_.push_back(text);
}

void CancelAt::setBar(int percent) {
    if (percent_ > 0 && percent >= percent_) cancel();
}

void CancelAt::cancel() {
    if (runner_ != nullptr) runner_->requestCancel();
}

} // namespace tovel::test
