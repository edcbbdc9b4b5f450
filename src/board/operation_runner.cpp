#include "board/operation_runner.h"

#include <algorithm>
#include <cerrno>

#include "board/progress_observer.h"

#if defined(__linux__)
#include <sys/resource.h>
#endif

namespace tovel {

namespace {

// One step above normal: a lower nice value for this thread only. Without the privilege to raise
// priority (the usual case for a normal user) the worker simply runs at normal priority.
void raiseThreadPriority() {
#if defined(__linux__)
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0); // on Linux: the calling thread
    if (errno == 0) (void)::setpriority(PRIO_PROCESS, 0, nice - 1);
#endif
}

} // namespace

OperationRunner::~OperationRunner() { join(); }

void* OperationRunner::threadMain(void* self) {
    static_cast<OperationRunner*>(self)->workerBody();
    return nullptr;
}

void OperationRunner::workerBody() {
    raiseThreadPriority();
    workerResult_.store(run());
    done_.store(true);
}

bool OperationRunner::launch() {
    if (threadRunning_ || done_.load()) return false; // one operation per runner
    // pthread rather than std::thread: a failed creation is a result code here, not an exception.
    if (::pthread_create(&thread_, nullptr, &OperationRunner::threadMain, this) != 0) return false;
    threadRunning_ = true;
    return true;
}

void OperationRunner::join() {
    if (!threadRunning_) return;
    ::pthread_join(thread_, nullptr);
    threadRunning_ = false;
}

void OperationRunner::requestCancel() { cancelRequested_.store(true); }

Outcome OperationRunner::result() const {
    // Once the worker has ended its code stands, also against a late Cancel: the operation's real
    // outcome (data written, say) must not be reported as a stop.
    if (done_.load()) return workerResult_.load();
    return cancelRequested_.load() ? kCancelResult : Outcome::Ok;
}

void OperationRunner::start(const std::string& title, const std::string& text, long total) {
    total_ = total;
    lastPercent_ = 0;
    if (observer_ == nullptr) return;
    observer_->setTitle(title);
    observer_->setText(text);
    observer_->setBar(0);
}

void OperationRunner::setProgress(long done) {
    if (total_ <= 0) return;
    const long long raw = static_cast<long long>(done) * 100 / total_;
    const int percent = static_cast<int>(std::clamp<long long>(raw, 0, 100));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    const std::string text = messages_.format(msg::PercentCompleted, percent);
    if (text != lastPercentText_) {
        lastPercentText_ = text;
        if (observer_ != nullptr) observer_->setPercentText(text);
    }
    if (observer_ != nullptr) observer_->setBar(percent);
}

void OperationRunner::hideCancel() {
    if (observer_ != nullptr) observer_->setCancelVisible(false);
}

} // namespace tovel
