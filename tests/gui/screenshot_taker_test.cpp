// The documentation screenshots: a command's dialog is pictured (after the boxes to dismiss and
// the button to click), a command without one pictures the window, and the program is left with
// nothing open either way.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "app/dialogs/window_translation.h"
#include "app/screenshot_taker.h"

using tovel::app::ScreenshotTaker;

namespace {

constexpr int kTimeoutMs = 10'000;

// A dialog of a size no other window here has, with a button that opens a second one.
class OuterDialog : public QDialog {
public:
    explicit OuterDialog(QWidget* parent) : QDialog(parent) {
        setFixedSize(321, 123);
        auto* button = new QPushButton(QStringLiteral("Configure..."), this);
        tovel::app::setControlId(button, 3);
        connect(button, &QPushButton::clicked, this, [this] {
            QDialog inner(this);
            inner.setFixedSize(211, 97);
            innerResult = inner.exec();
        });
    }
    int innerResult = -1;
};

} // namespace

class ScreenshotTakerTest : public QObject {
    Q_OBJECT

    struct Run {
        QSize picture;
        std::vector<int> commandsRun;
        int boxResult = -1;
        int outerResult = -1;
        int innerResult = -1;
    };

    void take(ScreenshotTaker::Steps steps, Run& run) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("shot.png"));
        QMainWindow window;
        window.setFixedSize(400, 300);
        auto* taker = new ScreenshotTaker(&window, path, std::move(steps), [&](int commandId) {
            run.commandsRun.push_back(commandId);
            if (commandId == 2) { // a box first, then the dialog
                QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("Power cycle"),
                                QMessageBox::Ok, &window);
                run.boxResult = box.exec();
                OuterDialog dialog(&window);
                run.outerResult = dialog.exec();
                run.innerResult = dialog.innerResult;
            }
        });
        window.show();
        taker->start();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), kTimeoutMs);
        run.picture = QImage(path).size();
    }

private Q_SLOTS:
    void windowWhenNoDialogOpens() {
        Run run;
        take({{1, 1}, 0, std::nullopt}, run);
        QCOMPARE(run.commandsRun, (std::vector<int>{1, 1}));
        QCOMPARE(run.picture, QSize(400, 300));
    }

    void firstDialogIsPicturedAndCancelled() {
        Run run;
        take({{2}, 0, std::nullopt}, run);
        QVERIFY(run.picture.isValid());
        QVERIFY(run.picture != QSize(400, 300) && run.picture != QSize(321, 123));
        QVERIFY(run.boxResult != QMessageBox::Ok); // cancelled, not accepted
    }

    void dismissedBoxThenClickedButtonOpensTheDialogPictured() {
        Run run;
        take({{2}, 1, 3u}, run);
        QCOMPARE(run.boxResult, int(QMessageBox::Ok));
        QCOMPARE(run.picture, QSize(211, 97));
        QCOMPARE(run.innerResult, int(QDialog::Rejected));
        QCOMPARE(run.outerResult, int(QDialog::Rejected));

        run = Run();
        take({{2}, 1, std::nullopt}, run);
        QCOMPARE(run.picture, QSize(321, 123));
        QCOMPARE(run.innerResult, -1);
    }

    void missingButtonPicturesTheDialogItself() {
        Run run;
        take({{2}, 1, 99u}, run);
        QCOMPARE(run.picture, QSize(321, 123));
    }
};

QTEST_MAIN(ScreenshotTakerTest)
#include "screenshot_taker_test.moc"
