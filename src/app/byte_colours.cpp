#include "app/byte_colours.h"

#include <array>

namespace tovel::app {

namespace {

const std::array<QColor, 8> kColours = {
    QColor(0x00, 0x00, 0x00), // loaded
    QColor(0x00, 0x00, 0x80), // saved
    QColor(0x00, 0x00, 0xFF), // programmed
    QColor(0x00, 0x80, 0x00), // verified
    QColor(0x00, 0x60, 0x00), // read from the chip
    QColor(0xFF, 0x00, 0x00), // not confirmed
    QColor(0xFF, 0x00, 0xFF), // changed in memory
    QColor(0x00, 0x80, 0x80), // no meaning
};

} // namespace

QColor colourOfAttribute(std::uint8_t attribute) {
    return kColours[attribute < kColours.size() ? attribute : 7];
}

QColor editCursorColour() { return kColours[7]; }

QColor plainColour() { return kColours[0]; }

} // namespace tovel::app
