// Helpers of the desktop program's tests: files in a temporary folder, and boxes recorded and
// pre-answered instead of shown.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_user_interface.h"
#include "workbench/workbench.h"

namespace tovel::guitest {

// A workbench on the real serial channel whose settings file lives in `folder`, as the program
// builds it.
std::unique_ptr<Workbench> makeWorkbench(app::QtUserInterface& ui, const QTemporaryDir& folder);

// Writes `bytes` to `name` in `folder` and returns the path.
QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes);

// Every box the program shows is recorded; questions take the queued answers in order, then
// `defaultAnswer`.
class BoxRecorder {
public:
    void install(app::QtUserInterface& ui);
    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    Answer defaultAnswer = Answer::No;

    const std::vector<app::ShownBox>& boxes() const { return boxes_; }
    std::vector<std::string> texts() const;
    void clear() { boxes_.clear(); }

private:
    std::vector<app::ShownBox> boxes_;
    std::deque<Answer> answers_;
};

} // namespace tovel::guitest

namespace tovel::guitest {

// A project file with the given device row and extra lines (e.g. "[AutoProgram]\nAutoErase=1").
QString writeProject(const QTemporaryDir& folder, const QString& name, int deviceNo,
                     const QString& flashFile = {}, const QString& extra = {});

} // namespace tovel::guitest
