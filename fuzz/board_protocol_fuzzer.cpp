// The host side of the board protocol against a board that answers anything: every reply comes
// from the fuzz input, and the line goes silent when the input runs out. A session is opened
// for the device the first byte chooses and a short program/verify (and, as the flags say, an
// erase, a blank check, the signature and the board's version) runs through the operation
// handlers, the transfer workers and the board command functions. Nothing may crash, hang or
// read out of bounds; a reply pointer is used only until the next receive (each reply lives in
// its own allocation, freed by the next one, so a stale pointer is caught).
//
// Input: [device] [flags] [size] [answers] then the board's bytes.
//   flags: bits 0-1 speed index, 2 polling, 3 signature check, 4 no synchronisation,
//          5 EEPROM as well, 6 erase and blank check, 7 signature and version
#include <cstdint>
#include <cstring>
#include <memory>

#include "board/board_session.h"
#include "devices/device_table.h"
#include "fuzz/fuzz_support.h"
#include "i18n/messages.h"
#include "image/memory_buffer.h"
#include "ops/blank_check.h"
#include "ops/chip_context.h"
#include "ops/chip_erase.h"
#include "ops/memory_programming.h"
#include "ops/memory_verifying.h"
#include "ops/read_signature.h"
#include "project/project.h"
#include "project/settings_file.h"

using namespace tovel;

namespace {

// The board: its replies are the fuzz input, in order; silence once it is used up.
class ScriptedBoardChannel final : public SerialChannel {
public:
    ScriptedBoardChannel(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool openPort(int, std::uint32_t) override {
        connected_ = true;
        return true;
    }
    bool closePort() override {
        connected_ = false;
        return true;
    }
    bool sendByte(std::uint8_t) override { return connected_; }
    bool sendBytes(const std::uint8_t* bytes, std::size_t count) override {
        // Touch every byte the caller claims to send, so a send past its buffer is caught.
        volatile std::uint8_t sum = 0;
        for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint8_t>(sum + bytes[i]);
        return connected_;
    }
    const std::uint8_t* receive(std::size_t count) override {
        reply_.reset();
        if (!connected_ || count > kReceiveBufferSize) return nullptr;
        if (size_ - used_ < count) { // a partial reply, then silence
            used_ = size_;
            return nullptr;
        }
        reply_ = std::make_unique<std::uint8_t[]>(count == 0 ? 1 : count);
        if (count > 0) std::memcpy(reply_.get(), data_ + used_, count);
        used_ += count;
        return reply_.get();
    }
    int receiveByte() override {
        if (!connected_) return 0;
        return used_ < size_ ? data_[used_++] : -1;
    }
    bool isConnected() const override { return connected_; }
    const char* statusText() const override { return "scripted"; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
    bool connected_ = false;
    std::unique_ptr<std::uint8_t[]> reply_;
};

void fill(MemoryBuffer& buffer, std::size_t size, std::uint8_t seed) {
    if (size == 0 || !buffer.create(size)) return;
    std::uint8_t value = seed;
    for (std::uint8_t& byte : buffer.data()) byte = value = static_cast<std::uint8_t>(value * 5 + 1);
    buffer.setAllAttributes(ByteAttribute::Loaded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const int deviceNo = data[0] % DeviceTable::kDeviceCount;
    const std::uint8_t flags = data[1];
    const std::size_t imageSize = 1 + data[2];
    std::uint8_t answers = data[3];
    ScriptedBoardChannel channel(data + 4, size - 4);

    fuzz::AbsentUi ui([&answers] {
        const bool yes = (answers & 1) != 0;
        answers = static_cast<std::uint8_t>((answers >> 1) | (answers << 7));
        return yes;
    });
    const Messages messages;
    fuzz::VirtualClock clock;
    BoardSession session(channel, ui, messages, clock);
    Project project(ui, messages);
    project.deviceIndex = deviceNo;
    project.polling = (flags & 0x04) != 0;
    project.checkSignature = (flags & 0x08) != 0;
    project.noSynchronization = (flags & 0x10) != 0;
    MemoryBuffer flash(ui, messages, false);
    MemoryBuffer eeprom(ui, messages, true);
    fill(flash, imageSize + (imageSize % 2), data[2]);
    if ((flags & 0x20) != 0) fill(eeprom, imageSize, static_cast<std::uint8_t>(~data[2]));
    AppSettings settings;
    settings.comPort = 1;
    settings.baudIndex = flags & 0x03;
    OperationState state;
    ChipContext context{ui,
                        messages,
                        clock,
                        session,
                        project,
                        flash,
                        eeprom,
                        settings,
                        state,
                        [&project](int no) { project.deviceIndex = no; },
                        [](const MemoryBuffer&) {}};

    if ((flags & 0x80) != 0) {
        session.showBoardInfo(1);
        readSignature(context);
    }
    if ((flags & 0x40) != 0) {
        chipErase(context);
        blankCheck(context);
    }
    programFlash(context);
    verifyFlash(context);
    if (eeprom.hasData()) {
        programEeprom(context);
        verifyEeprom(context);
    }
    FUZZ_REQUIRE(!channel.isConnected()); // every operation ends its session
    return 0;
}
