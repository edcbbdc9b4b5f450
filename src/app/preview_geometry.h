// Where things are in a memory preview: the cell grid measured from the font, the rows that fit,
// the scroll range, and which byte a click lands on. Plain arithmetic, so it is tested without a
// window. Sixteen bytes to a row; with A the address column's width and w the column width:
//
//   | address (A) | 16 hex cells of 2w | 16 character cells of w |
//   x = 0         A + 2                A + 32w + 4               A + 48w + 6
//
// A is three column widths when the addresses fit in it; it is widened for fonts whose six-digit
// addresses (buffers above 1 MiB, up to the 8 MiB DataFlash images) would run into the first byte.
#pragma once

#include <cstddef>
#include <optional>

namespace tovel::app {

inline constexpr int kBytesPerRow = 16;

// What a click on a cell starts: typing hexadecimal digits or characters.
enum class CellKind { Hex, Character };

struct CellHit {
    std::size_t cell; // display cell index (the byte shown there may differ with swapped pairs)
    CellKind kind;
};

struct PreviewGeometry {
    int rowHeight = 15;    // text height + 4
    int columnWidth = 12;  // average character width + 4
    int addressWidth = 36; // at least 3 column widths

    static constexpr int kAddressDigits = 6; // "%05X" grows to six digits above 1 MiB

    static PreviewGeometry forFont(int textHeight, int averageCharWidth);

    // The x positions of the three vertical rules and the heading rule's y.
    int addressRule() const { return addressWidth + 2; }
    int hexRule() const { return addressWidth + 32 * columnWidth + 4; }
    int characterRule() const { return addressWidth + 48 * columnWidth + 6; }
    int headingRule() const { return rowHeight + 2; }
    // The width the dump needs, the rules and a 3-pixel frame included.
    int dumpWidth() const { return characterRule() + 4; }

    // Left edge of the hex cell of column m (0..15) and of its character cell.
    int hexCellX(int column) const { return addressWidth + 2 * columnWidth * column + 2; }
    int characterCellX(int column) const { return addressWidth + columnWidth * (column + 32) + 6; }
    // Top of data row t (0 = the first row under the heading).
    int rowY(int row) const { return rowHeight * (row + 1) + 2; }

    // Rows painted in a client area of this height (the last may be cut off).
    int paintedRows(int clientHeight) const;
    // Rows wholly visible below the heading: what the scroll range is computed with.
    int visibleRows(int clientHeight) const;
    // The client height that shows exactly `rows` rows under the heading.
    int heightForRows(int rows) const { return rowHeight * (rows + 1) + 3; }

    // The byte cell under a click, given the first row shown and the buffer size; nothing when
    // the click is on the heading, the address column, a rule or past the data.
    std::optional<CellHit> hitTest(int x, int y, std::size_t firstRow, std::size_t size) const;
};

// Rows a buffer of `size` bytes takes. The whole buffer scrolls: an 8 MiB DataFlash image has
// 524,288 rows and every one can be reached.
std::size_t rowCount(std::size_t size);

// The highest first row: 0 when everything fits.
std::size_t maximumFirstRow(std::size_t size, int visibleRows);

// With swapped pairs, cell i shows byte i ^ 1, so a 16-bit program word reads high byte first.
constexpr std::size_t byteIndexOfCell(std::size_t cell, bool swapPairs) {
    return swapPairs ? cell ^ 1u : cell;
}

} // namespace tovel::app
