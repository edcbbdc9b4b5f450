#include "support/gui_test_support.h"

#include <QDir>
#include <QFile>

#include "board/posix_serial_channel.h"
#include "core/clock.h"

namespace tovel::guitest {

std::unique_ptr<Workbench> makeWorkbench(app::QtUserInterface& ui, const QTemporaryDir& folder) {
    return std::make_unique<Workbench>(
        ui, systemClock(),
        [](const PortMap& ports) -> std::unique_ptr<SerialChannel> {
            return std::make_unique<PosixSerialChannel>(ports);
        },
        folder.filePath(QStringLiteral("settings.ini")).toStdString());
}

QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    const QString path = QDir(folder.path()).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

void BoxRecorder::install(app::QtUserInterface& ui) {
    ui.setBoxHook([this](const app::ShownBox& box) {
        boxes_.push_back(box);
        if (box.kind != app::ShownBox::Question) return Answer::Ok;
        if (answers_.empty()) return defaultAnswer;
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

std::vector<std::string> BoxRecorder::texts() const {
    std::vector<std::string> texts;
    for (const app::ShownBox& box : boxes_) texts.push_back(box.text);
    return texts;
}

} // namespace tovel::guitest

namespace tovel::guitest {

QString writeProject(const QTemporaryDir& folder, const QString& name, int deviceNo, const QString& flashFile,
                     const QString& extra) {
    const QString text =
        QStringLiteral("[Files]\nFlash=%1\nEeprom=[Unspecified]\n[Device]\nDeviceNo=%2\n%3\n")
            .arg(flashFile.isEmpty() ? QStringLiteral("[Unspecified]") : flashFile)
            .arg(deviceNo)
            .arg(extra);
    return writeFile(folder, name, text.toUtf8());
}

} // namespace tovel::guitest
