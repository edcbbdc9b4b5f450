// The desktop program's trace of the board's line (Advanced > "Trace board traffic to a file..."):
// every session the program opens writes every byte both ways, with its time, into the chosen
// file, through the same TracingChannel as the command line's --trace, so the file replays in the
// simulated board the same way.
//
// The choice is kept in the settings file and taken up at the next start, appended to the same
// file so an earlier trace is not lost; a newly chosen file starts empty. A file that cannot be
// written is said in a box and leaves the trace off. The menu item and the status line name the
// file, so a trace is never left running unnoticed.
#pragma once

#include <string>

namespace tovel {
class TracingChannel;
class Workbench;
} // namespace tovel

namespace tovel::app {

class BoardTrafficTrace {
public:
    // `channel`: the one the workbench talks through (null: nothing to trace; the commands then
    // do nothing). Both must outlive this object.
    BoardTrafficTrace(TracingChannel* channel, Workbench& workbench);

    // Start-up: the file the settings name, if any, appended to.
    void resume();
    // The menu item: while tracing, stops; otherwise asks for a file and traces to it.
    void toggle();

    bool available() const { return channel_ != nullptr; }
    bool active() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // The menu item's text in the workbench's language: what choosing it will do, naming the file.
    std::string menuText() const;

private:
    // Opens `path` (appended to, or emptied) and traces to it; on failure says why and stays off.
    bool traceTo(const std::string& path, bool append);
    void stop();

    TracingChannel* channel_;
    Workbench& workbench_;
    std::string path_;
};

} // namespace tovel::app
