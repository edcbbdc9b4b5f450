#include "app/preview_editor.h"

#include <optional>

#include "app/pc_charset.h"
#include "image/memory_buffer.h"

namespace tovel::app {

namespace {

std::optional<std::uint8_t> hexDigitValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

} // namespace

void PreviewEditor::begin(const CellHit& hit) {
    cell_ = hit.cell;
    mode_ = hit.kind == CellKind::Hex ? Mode::HighNibble : Mode::Character;
}

void PreviewEditor::fitTo(std::size_t size) {
    if (cell_ >= size) mode_ = Mode::None;
}

bool PreviewEditor::type(MemoryBuffer& buffer, char32_t character, bool swapPairs) {
    if (mode_ == Mode::None) return false;
    const std::size_t size = buffer.size();
    const std::size_t index = byteIndexOfCell(cell_, swapPairs);
    // A stale cursor, or the partner of the last byte of an odd-sized buffer shown swapped.
    if (cell_ >= size || index >= size) {
        mode_ = Mode::None;
        return false;
    }

    std::uint8_t& byte = buffer.data()[index];
    if (mode_ == Mode::Character) {
        const std::optional<std::uint8_t> value = byteOfPcCharacter(character);
        if (!value) return false;
        byte = *value;
    } else {
        const std::optional<std::uint8_t> nibble = hexDigitValue(character);
        if (!nibble) return false;
        byte = mode_ == Mode::HighNibble ? static_cast<std::uint8_t>((byte & 0x0F) | (*nibble << 4))
                                         : static_cast<std::uint8_t>((byte & 0xF0) | *nibble);
    }
    buffer.attributes()[index] = static_cast<std::uint8_t>(ByteAttribute::ChangedInMemory);
    buffer.markModified();

    if (mode_ == Mode::HighNibble)
        mode_ = Mode::LowNibble;
    else
        advance(size);
    return true;
}

void PreviewEditor::advance(std::size_t size) {
    if (cell_ + 1 >= size) {
        mode_ = Mode::None;
        return;
    }
    ++cell_;
    if (mode_ == Mode::LowNibble) mode_ = Mode::HighNibble;
}

} // namespace tovel::app
