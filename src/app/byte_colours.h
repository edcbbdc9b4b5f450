// The colour a preview draws a byte in, telling its history (see ByteAttribute).
#pragma once

#include <QColor>
#include <cstdint>

namespace tovel::app {

// Attribute 0 loaded: black; 1 saved: dark blue; 2 programmed: blue; 3 verified: green;
// 4 read from the chip: dark green; 5 not confirmed: red; 6 changed in memory: magenta;
// anything else: teal.
QColor colourOfAttribute(std::uint8_t attribute);

// The byte under the edit cursor, whatever its attribute.
QColor editCursorColour();

// Every byte while a chip operation works on the buffer.
QColor plainColour();

} // namespace tovel::app
