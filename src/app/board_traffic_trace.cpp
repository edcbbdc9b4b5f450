#include "app/board_traffic_trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "board/tracing_channel.h"
#include "i18n/desktop_texts.h"
#include "project/settings_file.h"
#include "workbench/workbench.h"

namespace tovel::app {

namespace {

// A path shown in a menu: an ampersand in it is a character, not a mnemonic marker.
std::string menuTextOfPath(const std::string& path) {
    std::string text;
    for (const char c : path) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

// The file at `path` for writing, created when missing. Only a regular file: a named pipe would
// hold the program at the open (it is opened without waiting and refused), a device is no trace.
TracingChannel::OwnedFile openTraceFile(const std::string& path, bool append, std::string& reason,
                                        const Messages& messages) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : 0), 0644);
    if (fd < 0) {
        reason = std::strerror(errno);
        return {nullptr, &std::fclose};
    }
    struct stat facts {};
    if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        reason = messages.text(msg::TraceNotRegularFile);
        ::close(fd);
        return {nullptr, &std::fclose};
    }
    // A new trace starts empty; only now that the file is known to be a regular one.
    if (!append && ::ftruncate(fd, 0) != 0) {
        reason = std::strerror(errno);
        ::close(fd);
        return {nullptr, &std::fclose};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    TracingChannel::OwnedFile file(::fdopen(fd, append ? "a" : "w"), &std::fclose);
    if (!file) {
        reason = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

} // namespace

BoardTrafficTrace::BoardTrafficTrace(TracingChannel* channel, Workbench& workbench)
    : channel_(channel), workbench_(workbench) {}

void BoardTrafficTrace::resume() {
    if (channel_ == nullptr) return;
    const std::string path = workbench_.settingsFile().readTraceFile();
    if (path.empty()) return;
    if (!traceTo(path, true)) {
        // Said in the box: the setting goes too, so the menu and the file agree that it is off.
        workbench_.settingsFile().writeTraceFile("");
    }
}

void BoardTrafficTrace::toggle() {
    if (channel_ == nullptr) return;
    if (active()) {
        stop();
        workbench_.settingsFile().writeTraceFile("");
        workbench_.ui().setStatus(workbench_.messages().text(msg::TraceStatusOff));
        return;
    }
    const Messages& messages = workbench_.messages();
    FileChoice choice;
    choice.save = true;
    choice.title = messages.text(msg::TraceFileTitle);
    choice.filters = {messages.text(msg::TraceFilesFilter),
                      ui::desktopText(ui::DesktopText::AllFilesFilter, messages.language())};
    const std::optional<std::string> chosen = workbench_.ui().chooseFile(choice);
    if (!chosen || chosen->empty()) return;
    // A new choice starts a new trace (the file dialog has asked before replacing a file).
    if (traceTo(*chosen, false)) workbench_.settingsFile().writeTraceFile(*chosen);
}

bool BoardTrafficTrace::traceTo(const std::string& path, bool append) {
    std::string reason;
    TracingChannel::OwnedFile file = openTraceFile(path, append, reason, workbench_.messages());
    if (!file) {
        stop();
        workbench_.ui().showInfo(
            workbench_.messages().format(msg::TraceFileUnwritable, path.c_str(), reason.c_str()));
        return false;
    }
    channel_->setTraceFile(std::move(file));
    path_ = path;
    workbench_.ui().setStatus(workbench_.messages().format(msg::TraceStatusOn, path.c_str()));
    return true;
}

void BoardTrafficTrace::stop() {
    if (channel_ != nullptr) channel_->setTraceFile({nullptr, &std::fclose});
    path_.clear();
}

std::string BoardTrafficTrace::menuText() const {
    const Messages& messages = workbench_.messages();
    if (!active()) return messages.text(msg::TraceMenuItemOff);
    return messages.format(msg::TraceMenuItemOn, menuTextOfPath(path_).c_str());
}

} // namespace tovel::app
