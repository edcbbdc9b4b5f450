#include "sim/pty_board_host.h"

namespace tovel::sim {

struct PtyBoardHost::Impl {
    SimOptions options;
    std::string error = "not implemented yet";
    std::string slavePath;
};

PtyBoardHost::PtyBoardHost(SimOptions options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
}
PtyBoardHost::~PtyBoardHost() = default;
bool PtyBoardHost::ok() const { return false; }
const std::string& PtyBoardHost::error() const { return impl_->error; }
const std::string& PtyBoardHost::slavePath() const { return impl_->slavePath; }
ChipMemories PtyBoardHost::memories() const { return {}; }
std::vector<std::uint8_t> PtyBoardHost::flash() const { return {}; }
std::vector<std::uint8_t> PtyBoardHost::eeprom() const { return {}; }
std::array<std::uint8_t, 3> PtyBoardHost::fuses() const { return {}; }
std::uint8_t PtyBoardHost::lockBits() const { return 0xFF; }
void PtyBoardHost::setMemories(const ChipMemories&) {}
void PtyBoardHost::setFlash(std::size_t, const std::vector<std::uint8_t>&) {}
void PtyBoardHost::setEeprom(std::size_t, const std::vector<std::uint8_t>&) {}
void PtyBoardHost::injectFault(const Fault&) {}
void PtyBoardHost::clearFaults() {}
std::vector<LoggedByte> PtyBoardHost::log() const { return {}; }
void PtyBoardHost::clearLog() {}
int PtyBoardHost::boardBaud() const { return 19200; }
bool PtyBoardHost::inProgrammingMode() const { return false; }
TimingReport PtyBoardHost::timing() const { return {}; }
void PtyBoardHost::resetTiming() {}
std::uint64_t PtyBoardHost::bytesFromHost() const { return 0; }
bool PtyBoardHost::waitIdle(unsigned) const { return true; }

} // namespace tovel::sim
