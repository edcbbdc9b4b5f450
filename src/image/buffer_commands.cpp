#include "image/buffer_commands.h"

namespace tovel {

bool runBufferCommand(MemoryBuffer& buffer, BufferCommand command, UserInterface& ui,
                      Outcome& operationStatus) {
    bool done = false;
    switch (command) {
    case BufferCommand::Load:
        done = buffer.openAndLoad();
        break;
    case BufferCommand::LoadAt:
        done = buffer.openAndLoadAt();
        break;
    case BufferCommand::Reload:
        operationStatus = Outcome::Failed;
        done = buffer.reload();
        operationStatus = done ? Outcome::Ok : Outcome::File;
        break;
    case BufferCommand::Save:
        // The status line is refreshed whatever the result.
        done = buffer.save();
        ui.setStatus(buffer.statusText());
        return done;
    case BufferCommand::SaveAs:
        done = buffer.saveAs();
        break;
    case BufferCommand::Close:
        // The length line of the closed image would no longer be true.
        ui.setStatus(std::string());
        return buffer.close();
    }
    if (done) ui.setStatus(buffer.statusText());
    return done;
}

} // namespace tovel
