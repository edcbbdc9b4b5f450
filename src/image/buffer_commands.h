// The six buffer commands of the Flash and Eeprom menus (and the ">>" and "!" buttons) as the
// main window runs them: the buffer operation, then the status line.
#pragma once

#include "core/outcome.h"
#include "core/user_interface.h"
#include "image/memory_buffer.h"

namespace tovel {

enum class BufferCommand { Load, LoadAt, Reload, Save, SaveAs, Close };

// `operationStatus` is the program-wide result of the last operation: Reload sets it to Failed
// before it starts, then to Ok when the file was loaded again or File when it was not. Returns the
// operation's result.
bool runBufferCommand(MemoryBuffer& buffer, BufferCommand command, UserInterface& ui,
                      Outcome& operationStatus);

} // namespace tovel
