#include "app/preview_geometry.h"

#include <algorithm>

namespace tovel::app {

PreviewGeometry PreviewGeometry::forFont(int textHeight, int averageCharWidth) {
    PreviewGeometry g;
    g.rowHeight = std::max(1, textHeight + 4);
    g.columnWidth = std::max(1, averageCharWidth + 4);
    g.addressWidth = std::max(3 * g.columnWidth, kAddressDigits * averageCharWidth + 6);
    return g;
}

int PreviewGeometry::paintedRows(int clientHeight) const {
    return std::max(0, (clientHeight - 4) / rowHeight);
}

int PreviewGeometry::visibleRows(int clientHeight) const {
    return std::max(0, (clientHeight - rowHeight - 3) / rowHeight);
}

std::optional<CellHit> PreviewGeometry::hitTest(int x, int y, std::size_t firstRow, std::size_t size) const {
    if (size == 0 || y < headingRule()) return std::nullopt;
    // (y - 2) / h counts the heading as row 1, hence the row before.
    const std::size_t firstByte =
        (firstRow + static_cast<std::size_t>((y - 2) / rowHeight) - 1) * kBytesPerRow;

    std::optional<CellHit> hit;
    if (x >= addressRule() && x < addressWidth + 32 * columnWidth + 2) {
        const int column = (x - 2 - addressWidth) / columnWidth / 2;
        if (column < kBytesPerRow) hit = CellHit{firstByte + static_cast<std::size_t>(column), CellKind::Hex};
    } else if (x >= addressWidth + 32 * columnWidth + 6) {
        const int column = (x - 6 - addressWidth) / columnWidth - 32;
        if (column < kBytesPerRow)
            hit = CellHit{firstByte + static_cast<std::size_t>(column), CellKind::Character};
    }
    if (hit && hit->cell >= size) return std::nullopt;
    return hit;
}

std::size_t rowCount(std::size_t size) { return (size + kBytesPerRow - 1) / kBytesPerRow; }

std::size_t maximumFirstRow(std::size_t size, int visibleRows) {
    const std::size_t rows = rowCount(size);
    const std::size_t visible = static_cast<std::size_t>(std::max(0, visibleRows));
    return rows > visible ? rows - visible : 0;
}

} // namespace tovel::app
