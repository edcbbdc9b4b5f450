// What the host sent to the simulated board, as text the tests search: "AC 53 00 00 ".
#pragma once

#include <cstddef>
#include <string>

namespace tovel::sim {
class PtyBoardHost;
}

namespace tovel::test {

// Every host byte as two hex digits and a blank, in order.
std::string sentHexOf(const sim::PtyBoardHost& host);
// Where `hex` ("AC 53") starts in `sent`, counted in bytes, from byte `from`; npos when absent.
std::size_t findHex(const std::string& sent, const std::string& hex, std::size_t from = 0);
// How many times `hex` appears in `sent`, whole bytes only.
std::size_t countHex(const std::string& sent, const std::string& hex);

} // namespace tovel::test
