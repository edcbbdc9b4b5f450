#include "sim/board_model.h"

namespace tovel::sim {

struct BoardModel::Impl {
    SimOptions options;
    std::vector<LoggedByte> log;
};

BoardModel::BoardModel(const SimOptions& options) : impl_(std::make_unique<Impl>()) {
    impl_->options = options;
}
BoardModel::~BoardModel() = default;

std::vector<Transmission> BoardModel::feed(std::span<const std::uint8_t>, int, std::uint64_t) { return {}; }
std::vector<std::uint8_t> BoardModel::exchange(const std::vector<std::uint8_t>&, int) { return {}; }
int BoardModel::baud() const { return 19200; }
bool BoardModel::inProgrammingMode() const { return false; }
FirmwareState BoardModel::firmwareState() const { return impl_->options.firmware; }
ChipMemories BoardModel::memories() const { return {}; }
void BoardModel::setMemories(const ChipMemories&) {}
bool BoardModel::takeChipChanged() { return false; }
void BoardModel::injectFault(const Fault&) {}
void BoardModel::clearFaults() {}
const std::vector<LoggedByte>& BoardModel::log() const { return impl_->log; }
void BoardModel::clearLog() {}
void BoardModel::setLogLimit(std::size_t) {}
TimingReport BoardModel::timing() const { return {}; }
void BoardModel::resetTiming() {}

} // namespace tovel::sim
