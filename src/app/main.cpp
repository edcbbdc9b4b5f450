// tovelisp: the desktop program of the Tovel and Tovel-U in-system programmers.
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <cstdio>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/program_options.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const tovel::app::ProgramOptions options = tovel::app::parseProgramOptions(arguments);
    if (!options.error.empty()) {
        std::fprintf(stderr, "tovelisp: %s\n\n%s", options.error.c_str(), tovel::app::usageText().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(tovel::app::usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tovelisp %s\n", TOVEL_VERSION);
        return 0;
    }

    // Qt takes its own arguments (-platform, -style ...) out of argc/argv; the rest is ours.
    QApplication qtApplication(argc, argv);
    const tovel::app::ProgramOptions ours =
        tovel::app::parseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
    QApplication::setApplicationName(QStringLiteral("tovelisp"));
    QApplication::setApplicationVersion(QStringLiteral(TOVEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tovelisp"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tovelisp/tovelisp.png")));

    tovel::app::Application application(ours);
    application.setStartedAt(sinceStart.msecsSinceReference());
    if (const std::optional<int> status = application.start()) return *status;
    const int status = QApplication::exec();
    application.finish();
    return status;
}
