// What the owner of a memory buffer is told when the buffer changes: the preview pane, the
// name label, the project and the main window's controls all hang off these calls. Each does
// nothing unless overridden.
#pragma once

#include <string>

namespace tovel {

class MemoryBuffer;

class MemoryBufferObserver {
public:
    virtual ~MemoryBufferObserver() = default;

    // The bytes, their attributes or the size changed: repaint the preview.
    virtual void contentChanged(const MemoryBuffer& /*buffer*/) {}
    // The name label's new text.
    virtual void labelChanged(const MemoryBuffer& /*buffer*/, const std::string& /*text*/) {}
    // Something changed that the project must save (the project's markModified).
    virtual void bufferMarkedModified(const MemoryBuffer& /*buffer*/) {}
    // The buffer now matches its file: the project re-checks its own modified flag.
    virtual void bufferMatchesFile(const MemoryBuffer& /*buffer*/) {}
    // The enabled state of the window's commands may have changed.
    virtual void controlsChanged(const MemoryBuffer& /*buffer*/) {}
};

} // namespace tovel
