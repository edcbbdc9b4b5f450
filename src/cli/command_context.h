// What a command of the command line works with, and what it hands back.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/exit_status.h"
#include "cli/json_line.h"
#include "cli/reporter.h"
#include "core/stop_request.h"
#include "workbench/workbench.h"

namespace tovel::cli {

using LineReader = std::function<std::optional<std::string>()>;

struct CommandContext {
    Workbench& workbench;
    CliUserInterface& ui;
    Reporter& reporter;
    const CliOptions& options;
    LineReader readLine;       // the person's answer to a prompt; nothing at the end
    const StopRequest* stop;   // Ctrl-C, SIGTERM, SIGHUP; may be null
    bool deviceChosen = false; // the device was named (--device, the project, --simulate=)
    bool imageLoaded = false;  // program/verify: FILE is in the buffer already (a gang's job)

    Language language() const { return workbench.language(); }
    bool wasInterrupted() const { return stop != nullptr && stop->requested(); }
};

struct CommandOutcome {
    ExitStatus status = ExitStatus::Success;
    JsonLine details;    // fields of the JSON result beyond the common ones
    std::string summary; // the person's failure summary, when the outcome's name is not enough
};

} // namespace tovel::cli
