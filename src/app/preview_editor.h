// The byte editor of a memory preview: which cell is being edited and what a typed character does
// to the buffer. A hex cell takes two hexadecimal digits, high nibble first; a character cell
// takes one character. Each edited byte is marked "changed in memory" and the buffer modified;
// the cursor then moves to the next cell, and editing ends after the last byte.
#pragma once

#include <cstddef>

#include "app/preview_geometry.h"

namespace tovel {
class MemoryBuffer;
}

namespace tovel::app {

class PreviewEditor {
public:
    enum class Mode { None, HighNibble, LowNibble, Character };

    Mode mode() const { return mode_; }
    bool editing() const { return mode_ != Mode::None; }
    // The display cell under the cursor (meaningful while editing).
    std::size_t cell() const { return cell_; }

    // A click on a cell: hex cells start at the high nibble.
    void begin(const CellHit& hit);
    void end() { mode_ = Mode::None; }
    // The buffer shrank or was replaced: a cursor past its end stops editing.
    void fitTo(std::size_t size);

    // Applies a typed character to `buffer` through the pair mapping. True when it was taken
    // (the preview repaints); false when it was ignored (not a hex digit in a hex cell, not a
    // character of the set in a character cell, or not editing).
    bool type(MemoryBuffer& buffer, char32_t character, bool swapPairs);

private:
    void advance(std::size_t size);

    Mode mode_ = Mode::None;
    std::size_t cell_ = 0;
};

} // namespace tovel::app
