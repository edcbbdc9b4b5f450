// --screenshot: runs the --run commands as if chosen from the menu, then saves a picture. When a
// command opens a dialog or a message box, that dialog is the picture; otherwise it is the main
// window. Before the picture, the first `dismiss` dialogs are accepted (as their default button
// would) and a `click` on a button of the dialog then open may open the one to picture. Every
// dialog still open afterwards is cancelled and the window closed, so the program ends by itself.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace tovel::app {

class ScreenshotTaker : public QObject {
public:
    using CommandRunner = std::function<void(int commandId)>;

    struct Steps {
        std::vector<int> commands;
        int dismiss = 0;
        std::optional<unsigned> click; // a control id
    };

    ScreenshotTaker(QWidget* window, QString path, Steps steps, CommandRunner runCommand);

    // Starts once the window has been shown and laid out.
    void start();

private:
    void runCommands();
    void watchForDialog();
    void save(QWidget& widget);
    void closeEverything();

    QWidget* window_;
    QString path_;
    Steps steps_;
    CommandRunner runCommand_;
    QTimer watch_;
    QPointer<QWidget> dialog_; // the dialog being watched until it settles
    int settledTicks_ = 0;
    int dismissed_ = 0;
    bool clicked_ = false;
    bool saved_ = false;
};

} // namespace tovel::app
