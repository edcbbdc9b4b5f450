// The Qt boxes as the person sees them (caption, icon, buttons, default), the busy cursor, and
// calls from an operation's worker thread arriving on the window's thread.
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <thread>

#include "app/qt_user_interface.h"
#include "support/gui_test_support.h"

using namespace tovel;
using namespace tovel::app;

namespace {

// Runs `inspect` on the next message box that opens, then presses `button` in it.
void answerNextBox(const std::function<void(QMessageBox&)>& inspect, QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        inspect(*box);
        box->button(button)->click();
    });
}

} // namespace

class QtUserInterfaceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void boxesCarryTheProgramsCaptionAndTheirIcons() {
        QtUserInterface ui;
        answerNextBox(
            [](QMessageBox& box) {
                QCOMPARE(box.windowTitle(), QStringLiteral("Tovel/Tovel-U Programmer"));
                QCOMPARE(box.icon(), QMessageBox::Information);
                QCOMPARE(box.text(), QStringLiteral("No board specified"));
            },
            QMessageBox::Ok);
        ui.showInfo("No board specified");

        answerNextBox([](QMessageBox& box) { QCOMPARE(box.icon(), QMessageBox::NoIcon); }, QMessageBox::Ok);
        ui.showPlain("AUTOPROGRAM: OK");

        const Messages russian(Language::Russian);
        ui.setMessages(russian);
        answerNextBox(
            [](QMessageBox& box) {
                QCOMPARE(box.windowTitle(), QStringLiteral("Программатор Tovel/Tovel-U"));
            },
            QMessageBox::Ok);
        ui.showInfo("x");
    }

    void questionsOfferTheirButtonsAndDefault() {
        QtUserInterface ui;
        Question question;
        question.caption = "Tovel/Tovel-U In-System Programmer 11.01";
        question.text = "Device is locked. Erase it now?";
        question.defaultAnswer = Answer::No;
        answerNextBox(
            [](QMessageBox& box) {
                QCOMPARE(box.windowTitle(), QStringLiteral("Tovel/Tovel-U In-System Programmer 11.01"));
                QCOMPARE(box.icon(), QMessageBox::Question);
                QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
                QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
            },
            QMessageBox::Yes);
        QCOMPARE(ui.ask(question), Answer::Yes);

        question.buttons = Buttons::YesNoCancel;
        answerNextBox([](QMessageBox& box) { QVERIFY(box.button(QMessageBox::Cancel) != nullptr); },
                      QMessageBox::Cancel);
        QCOMPARE(ui.ask(question), Answer::Cancel);
    }

    void theBusyCursorNestsAndEnds() {
        QtUserInterface ui;
        {
            BusyCursor outer(ui);
            BusyCursor inner(ui);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!ui.busy());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        ui.setBusy(false); // an extra end does not unbalance it
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void callsFromAWorkerThreadAreAnsweredOnTheWindowThread() {
        QtUserInterface ui;
        std::vector<bool> onWindowThread;
        ui.setBoxHook([&](const ShownBox& box) {
            onWindowThread.push_back(QThread::currentThread() == qApp->thread());
            return box.kind == ShownBox::Question ? Answer::Yes : Answer::Ok;
        });
        QStringList statuses;
        ui.setStatusSink([&](const QString& text) {
            onWindowThread.push_back(QThread::currentThread() == qApp->thread());
            statuses << text;
        });

        QEventLoop loop;
        Answer answer = Answer::No;
        std::thread worker([&] {
            ui.setStatus("Programming Flash");
            ui.showInfo("Connection error");
            answer = ui.ask(Question{"c", "Continue?"});
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
        QCOMPARE(answer, Answer::Yes);
        QCOMPARE(statuses, QStringList{"Programming Flash"});
        QCOMPARE(onWindowThread, (std::vector<bool>{true, true, true}));
    }
};

QTEST_MAIN(QtUserInterfaceTest)
#include "qt_user_interface_test.moc"
