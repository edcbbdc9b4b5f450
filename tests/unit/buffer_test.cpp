#include <gtest/gtest.h>

#include <algorithm>

#include "image/buffer_commands.h"
#include "image/memory_buffer.h"
#include "support/recording_ui.h"
#include "unit/image_test_files.h"

using namespace tovel;
using namespace tovel::test;

namespace {

const std::string kOverlapQuestion =
    "Warning: file will overlap exsisting and this operation may lost some data. Continue?";

// Keeps what the project and the main window would be told.
class ObserverLog : public MemoryBufferObserver {
public:
    void labelChanged(const MemoryBuffer&, const std::string& text) override { label = text; }
    void bufferMarkedModified(const MemoryBuffer&) override { ++projectMarkedModified; }
    void bufferMatchesFile(const MemoryBuffer&) override { ++projectRechecks; }
    void contentChanged(const MemoryBuffer&) override { ++previewRefreshes; }

    std::string label;
    int projectMarkedModified = 0;
    int projectRechecks = 0;
    int previewRefreshes = 0;
};

class BufferTest : public ::testing::Test {
protected:
    BufferTest() {
        flash.setObserver(&flashLog);
        eeprom.setObserver(&eepromLog);
    }

    std::string binary(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        writeFile(folder.file(name), bytes);
        return folder.file(name);
    }
    // Load At answers from a script: nothing means Cancel.
    void answerAddress(std::optional<std::int64_t> address) {
        flash.setLoadAddressPrompt([this, address](std::int64_t preset) {
            presets.push_back(preset);
            return address;
        });
    }
    std::vector<std::uint8_t> bytes(const MemoryBuffer& buffer) { return toVector(buffer.data()); }
    bool allAttributes(const MemoryBuffer& buffer, ByteAttribute value) {
        for (std::uint8_t a : buffer.attributes())
            if (a != static_cast<std::uint8_t>(value)) return false;
        return buffer.attributes().size() == buffer.size();
    }

    ScratchFolder folder;
    RecordingUi ui;
    Messages messages;
    MemoryBuffer flash{ui, messages, false};
    MemoryBuffer eeprom{ui, messages, true};
    ObserverLog flashLog, eepromLog;
    std::vector<std::int64_t> presets;
    Outcome operationStatus = Outcome::NotBlank; // a value no buffer command sets
};

} // namespace

TEST_F(BufferTest, AnOddFlashImageGetsOneErasedByteAndEepromKeepsItsSize) {
    const std::vector<std::uint8_t> image = patternBytes(4095);
    const std::string path = binary("odd.bin", image);
    ASSERT_TRUE(flash.load(path));
    ASSERT_TRUE(eeprom.load(path));
    EXPECT_EQ(flash.size(), 4096u);
    EXPECT_EQ(flash.data()[4095], 0xFF);
    EXPECT_EQ(eeprom.size(), 4095u);
    EXPECT_EQ(bytes(eeprom), image);

    EXPECT_EQ(flash.fileName(), path);
    EXPECT_FALSE(flash.modified());
    EXPECT_TRUE(allAttributes(flash, ByteAttribute::Loaded));
    EXPECT_EQ(flashLog.label, path);
    EXPECT_EQ(flashLog.projectRechecks, 1);
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(BufferTest, LoadKeepsTheBufferWhenTheFileCannotBeRead) {
    ASSERT_TRUE(flash.load(binary("a.bin", {1, 2})));
    const std::string missing = folder.file("gone.hex");
    EXPECT_FALSE(flash.load(missing));
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(flash.fileName(), folder.file("a.bin"));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot read file '" + missing + "'"});

    // "[Unspecified]" means no file: the buffer is emptied.
    EXPECT_TRUE(flash.load(kUnspecifiedFileName));
    EXPECT_EQ(flash.size(), 0u);
}

TEST_F(BufferTest, CreateGivesAnErasedUnconfirmedModifiedImage) {
    ASSERT_TRUE(flash.load(binary("named.bin", {1, 2})));
    ASSERT_TRUE(flash.create(70000));
    EXPECT_EQ(flash.size(), 70000u);
    EXPECT_EQ(flash.data()[69999], 0xFF);
    EXPECT_TRUE(allAttributes(flash, ByteAttribute::NotConfirmed));
    EXPECT_TRUE(flash.modified());
    EXPECT_EQ(flash.fileName(), folder.file("named.bin"));
    EXPECT_EQ(flashLog.label, folder.file("named.bin") + "*");
    EXPECT_EQ(flashLog.projectMarkedModified, 1);
    // 70,000 x 255 modulo 65,536.
    EXPECT_EQ(flash.checksum(), 0x5E90);
    EXPECT_EQ(flash.statusText(), "Flash length: 70000 (0x11170) bytes, Checksum = 0x5E90");
}

TEST_F(BufferTest, CloseEmptiesTheBufferButLeavesTheModifiedFlag) {
    ASSERT_TRUE(eeprom.create(16));
    ASSERT_TRUE(eeprom.close());
    EXPECT_EQ(eeprom.size(), 0u);
    EXPECT_TRUE(eeprom.attributes().empty());
    EXPECT_TRUE(eeprom.modified());
    EXPECT_EQ(eepromLog.label, "[Unspecified]");
    EXPECT_EQ(eeprom.statusText(), "Eeprom length: 0 (0x0) bytes, Checksum = 0x0000");
}

TEST_F(BufferTest, LoadAtNeedsALoadedBuffer) {
    answerAddress(0);
    EXPECT_FALSE(flash.loadAt(binary("a.bin", {1, 2})));
    EXPECT_TRUE(ui.events().empty());
    EXPECT_TRUE(presets.empty());
}

TEST_F(BufferTest, LoadAtAppendsByDefaultAndLeavesAGapBeyondTheEnd) {
    ASSERT_TRUE(flash.load(binary("base.bin", {1, 2, 3, 4})));
    answerAddress(4);
    ASSERT_TRUE(flash.loadAt(binary("tail.bin", {5, 6})));
    EXPECT_EQ(presets, std::vector<std::int64_t>{4});
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    // Beyond the end: a gap of 0xFF, and the odd Flash size is raised by one.
    answerAddress(8);
    ASSERT_TRUE(flash.loadAt(binary("far.bin", {7})));
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 0xFF, 0xFF, 7, 0xFF}));
    EXPECT_TRUE(allAttributes(flash, ByteAttribute::Loaded));
    EXPECT_TRUE(ui.events().empty());
    // The merged image is in neither file: unnamed and modified, and the project hears of it.
    EXPECT_EQ(flash.fileName(), "[Unspecified]");
    EXPECT_TRUE(flash.modified());
    EXPECT_EQ(flashLog.label, "[Unspecified]*");
    EXPECT_GE(flashLog.projectMarkedModified, 1);

    // Save asks for a name and leaves the merged files alone.
    const std::string merged = folder.file("merged.bin");
    ui.queueFile(merged);
    EXPECT_TRUE(flash.save());
    const std::vector<UiEvent> events = ui.events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const UiEvent& event) { return event.kind == UiEvent::FileChoice; }),
              1);
    EXPECT_EQ(readFile(folder.file("far.bin")), std::string(1, '\x07'));
    EXPECT_EQ(flash.fileName(), merged);
    EXPECT_FALSE(flash.modified());
}

TEST_F(BufferTest, LoadAtBelowTheEndAsksBeforeOverwriting) {
    ASSERT_TRUE(flash.load(binary("base.bin", {1, 2, 3, 4})));
    const std::string patch = binary("patch.bin", {9, 9, 9, 9, 9, 9});
    answerAddress(2);

    ui.queueAnswer(Answer::No);
    EXPECT_TRUE(flash.loadAt(patch));
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(flash.fileName(), folder.file("base.bin"));

    ui.queueAnswer(Answer::Yes);
    EXPECT_TRUE(flash.loadAt(patch));
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2, 9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(ui.questions(), (std::vector<std::string>{kOverlapQuestion, kOverlapQuestion}));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot load file"});
}

TEST_F(BufferTest, LoadAtRefusesCancelNegativeAndUnreachableAddresses) {
    ASSERT_TRUE(flash.load(binary("base.bin", {1, 2})));
    const std::string patch = binary("patch.bin", {9});
    for (std::optional<std::int64_t> address :
         {std::optional<std::int64_t>{}, std::optional<std::int64_t>{-1},
          std::optional<std::int64_t>{0x1000000}}) {
        answerAddress(address);
        EXPECT_TRUE(flash.loadAt(patch));
    }
    flash.setLoadAddressPrompt(nullptr);
    EXPECT_TRUE(flash.loadAt(patch));
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>(4, "Cannot load file"));
    EXPECT_TRUE(ui.questions().empty());
}

TEST_F(BufferTest, ReloadDiscardsEditsAndFailsWhenTheFileIsGone) {
    const std::string path = binary("r.bin", {1, 2});
    ASSERT_TRUE(flash.load(path));
    flash.data()[0] = 0x55;
    flash.markModified();
    EXPECT_TRUE(runBufferCommand(flash, BufferCommand::Reload, ui, operationStatus));
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_FALSE(flash.modified());
    EXPECT_EQ(operationStatus, Outcome::Ok);
    EXPECT_EQ(ui.events(), (std::vector<UiEvent>{
                               {UiEvent::Status, "", "Flash length: 2 (0x2) bytes, Checksum = 0x0003"}}));

    // A file that went missing counts as a failed reload; the buffer keeps what it had.
    std::filesystem::remove(path);
    ui.clear();
    EXPECT_FALSE(runBufferCommand(flash, BufferCommand::Reload, ui, operationStatus));
    EXPECT_EQ(operationStatus, Outcome::File);
    EXPECT_EQ(bytes(flash), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(flash.fileName(), path);
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot read file '" + path + "'"});
    EXPECT_TRUE(ui.statuses().empty());

    // Without a file, Reload empties the buffer and succeeds.
    ASSERT_TRUE(flash.create(4));
    ASSERT_TRUE(flash.close());
    ASSERT_TRUE(flash.create(4));
    EXPECT_TRUE(flash.reload());
    EXPECT_EQ(flash.size(), 0u);
}

TEST_F(BufferTest, SaveWritesTheNamedFileOrAsksForOne) {
    // An empty buffer saves nothing, but the Save command still shows the status line.
    EXPECT_FALSE(runBufferCommand(flash, BufferCommand::Save, ui, operationStatus));
    EXPECT_EQ(ui.events(), (std::vector<UiEvent>{
                               {UiEvent::Status, "", "Flash length: 0 (0x0) bytes, Checksum = 0x0000"}}));

    // Without a name Save is Save As; a name without extension gets the dialog's default one.
    ASSERT_TRUE(flash.create(2));
    ui.clear();
    ui.queueFile(folder.file("chip"));
    EXPECT_TRUE(runBufferCommand(flash, BufferCommand::Save, ui, operationStatus));
    EXPECT_EQ(flash.fileName(), folder.file("chip.hex"));
    EXPECT_EQ(readFile(folder.file("chip.hex")), ":02000000FFFF00\r\n:00000001FF\r\n");
    EXPECT_FALSE(flash.modified());
    EXPECT_TRUE(allAttributes(flash, ByteAttribute::Saved));
    EXPECT_EQ(flashLog.label, folder.file("chip.hex"));
    EXPECT_EQ(ui.events().front().kind, UiEvent::FileChoice);

    // With a name it writes there without a dialog.
    flash.data()[0] = 0;
    flash.markModified();
    ui.clear();
    EXPECT_TRUE(flash.save());
    EXPECT_EQ(readFile(folder.file("chip.hex")), ":0200000000FFFF\r\n:00000001FF\r\n");
    EXPECT_TRUE(ui.events().empty());

    // Save As cancelled changes nothing.
    ui.queueFile(std::nullopt);
    EXPECT_FALSE(flash.saveAs());
    EXPECT_EQ(flash.fileName(), folder.file("chip.hex"));
}

TEST_F(BufferTest, AFailedSaveKeepsTheModifiedFlagAndAttributes) {
    ASSERT_TRUE(eeprom.create(4));
    ui.queueFile(folder.file("missing-folder/x.eep"));
    EXPECT_FALSE(eeprom.saveAs()); // a failed write is not reported as a save
    EXPECT_TRUE(eeprom.modified());
    EXPECT_TRUE(allAttributes(eeprom, ByteAttribute::NotConfirmed));
    EXPECT_EQ(ui.boxes(), std::vector<std::string>{"Cannot save file"});
    EXPECT_NE(eeprom.fileName(), folder.file("missing-folder/x.eep")); // the unwritten name is not taken
}

TEST_F(BufferTest, TheCommandsShowTheStatusLineOnlyWhenTheyDidSomething) {
    ui.queueFile(std::nullopt);
    EXPECT_FALSE(runBufferCommand(eeprom, BufferCommand::Load, ui, operationStatus));
    ui.queueFile(binary("e.bin", {0x10, 0x20, 0x30}));
    EXPECT_TRUE(runBufferCommand(eeprom, BufferCommand::Load, ui, operationStatus));
    ui.queueFile(std::nullopt);
    EXPECT_FALSE(runBufferCommand(eeprom, BufferCommand::SaveAs, ui, operationStatus));
    EXPECT_TRUE(runBufferCommand(eeprom, BufferCommand::Close, ui, operationStatus));
    // Close clears the length line of the image that is gone.
    EXPECT_EQ(ui.statuses(),
              (std::vector<std::string>{"Eeprom length: 3 (0x3) bytes, Checksum = 0x0060", ""}));
    EXPECT_EQ(eeprom.openChoice().filters.front(), "EEP Files (*.eep)");
    EXPECT_EQ(flash.openChoice().filters.front(), "HEX Files (*.hex)");
}

TEST(LoadAddress, FieldTextIsReadLikeTheDialogDoes) {
    EXPECT_EQ(loadAddressPresetText(0x1F), "001F");
    EXPECT_EQ(loadAddressPresetText(0x12345), "12345");
    const struct {
        const char* text;
        LoadAddressRadix radix;
        std::int64_t value;
    } cases[] = {
        {"1A0", LoadAddressRadix::Hexadecimal, 0x1A0},
        {"0x10", LoadAddressRadix::Hexadecimal, 0x10},
        {"FFFFFF", LoadAddressRadix::Hexadecimal, 0xFFFFFF},
        {"1A0", LoadAddressRadix::Decimal, 1},
        {" 4096", LoadAddressRadix::Decimal, 4096},
        {"-12", LoadAddressRadix::Decimal, -12},
        {"", LoadAddressRadix::Hexadecimal, 0},
        {"ZZ", LoadAddressRadix::Decimal, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseLoadAddress(c.text, c.radix), c.value) << c.text;
    // Absurdly long numbers stay out of reach instead of wrapping round to a usable address.
    EXPECT_GT(parseLoadAddress("99999999999999999999999999", LoadAddressRadix::Decimal), kMaxLoadAddress);
}
