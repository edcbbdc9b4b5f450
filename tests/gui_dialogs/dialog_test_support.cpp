#include "dialog_test_support.h"

#include <cstring>
#include <memory>

#include <QApplication>
#include <QTimer>

#include "devices/fuse_layout.h"

namespace tovel::test {

bool FakeLockFuseOperations::readLockFuse(LockFuseSettings& settings) {
    calls.emplace_back("read");
    if (!readSucceeds) return false;
    settings = chipContent;
    return true;
}

bool FakeLockFuseOperations::programLockFuse(const LockFuseSettings& settings) {
    calls.emplace_back("program");
    programmed = settings;
    return programSucceeds;
}

void FakeLockFuseOperations::verifyLockFuse(const LockFuseSettings& expected) {
    calls.emplace_back("verify");
    verified = expected;
}

bool FakeLockFuseOperations::chipErase() {
    calls.emplace_back("erase");
    return eraseSucceeds;
}

void whenModalDialogOpens(std::function<void(QDialog*)> action) {
    auto* timer = new QTimer(qApp);
    auto attempts = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, attempts, action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        } else if (++*attempts > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

int fuseIndex(int deviceNo, const char* name) {
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout == nullptr) return -1;
    for (int k = 0; k < layout->fuseCount; ++k)
        if (std::strcmp(layout->fuseBits[k].name, name) == 0) return k;
    return -1;
}

LockFuseSettings withFuses(int deviceNo, std::initializer_list<const char*> names) {
    LockFuseSettings settings{};
    for (const char* name : names) {
        const int k = fuseIndex(deviceNo, name);
        if (k >= 0) settings.fuse[k] = 1;
    }
    return settings;
}

} // namespace tovel::test
