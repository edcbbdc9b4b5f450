// The six buffer commands of the Flash and Eeprom menus (and the ">>" and "!" buttons) as the
// main window runs them: the buffer operation, then the status line.
#pragma once

#include "core/user_interface.h"
#include "image/memory_buffer.h"

namespace tovel {

enum class BufferCommand { Load, LoadAt, Reload, Save, SaveAs, Close };

// `operationStatus` is the program-wide result of the last operation: Reload sets it to -1
// before it starts and to 0 when the file was loaded again. Returns the operation's result.
bool runBufferCommand(MemoryBuffer& buffer, BufferCommand command, UserInterface& ui, int& operationStatus);

} // namespace tovel
