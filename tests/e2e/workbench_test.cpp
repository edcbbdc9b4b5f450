// The Workbench as the front ends drive it: the device selection, the title and enabled commands
// it reports, the settings it keeps in the settings file, drops, and the unattended run.
#include "e2e/ops_bench.h"

#include "image/memory_buffer.h"
#include "project/project.h"
#include "project/settings_file.h"

namespace tovel::test {
namespace {

struct WindowRecord : WorkbenchObserver {
    void deviceSelected(int deviceNo) override { devices.push_back(deviceNo); }
    void titleChanged(const std::string& text) override { title = text; }
    void commandStatesChanged(const CommandStates& s) override { states = s; }
    void boardSettingsChanged(int port, int) override { comPort = port; }
    std::vector<int> devices;
    std::string title;
    CommandStates states;
    int comPort = -1;
};

using DrivingTheWorkbench = OpsBench;

TEST_F(DrivingTheWorkbench, SelectingADeviceMarksTheProjectOnlyWhenItChanges) {
    start("ATmega8");
    WindowRecord window;
    bench().setObserver(&window);
    bench().project().clearModified();

    bench().selectDevice(row("ATmega8"));
    EXPECT_FALSE(bench().project().modified());
    EXPECT_EQ(window.title, "[Unspecified] - Tovel/Tovel-U In-System Programmer 11.01");

    bench().selectDevice(row("AT25256"));
    EXPECT_EQ(bench().project().deviceIndex, row("AT25256"));
    EXPECT_TRUE(bench().project().modified());
    EXPECT_EQ(window.devices.back(), row("AT25256"));
    EXPECT_EQ(window.title, "[Unspecified]* - Tovel/Tovel-U In-System Programmer 11.01");
    EXPECT_FALSE(window.states.chipErase);
    EXPECT_FALSE(window.states.autoProgram);

    bench().selectDevice(999); // ignored
    EXPECT_EQ(bench().deviceNo(), row("AT25256"));
    bench().setObserver(nullptr);
}

TEST_F(DrivingTheWorkbench, ClosingFlashDisablesProgrammingButNotReading) {
    start("ATmega8");
    WindowRecord window;
    bench().setObserver(&window);
    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, writeFile("a.bin", Bytes(16, 0x55))));
    EXPECT_EQ(ui.lastStatus(), "Flash length: 16 (0x10) bytes, Checksum = 0x0550");
    EXPECT_TRUE(window.states.programFlash);

    bench().closeBuffer(Memory::Flash);
    EXPECT_FALSE(window.states.programFlash);
    EXPECT_FALSE(window.states.verifyFlash);
    EXPECT_TRUE(window.states.readFlash);
    bench().setObserver(nullptr);
}

TEST_F(DrivingTheWorkbench, SettingsGoToTheSettingsFile) {
    start("ATmega8");
    const std::string path = folder() + "/tovelisp.ini";
    bench().overridePortAndSpeed(5, 1);
    EXPECT_EQ(bench().comPort(), 5);
    EXPECT_EQ(SettingsFile(path).readComPort(), 1); // not written
    EXPECT_TRUE(bench().setPortAndSpeed(3, 2));
    EXPECT_FALSE(bench().setBoardDelays({0, 1001, 0, 0}));
    EXPECT_TRUE(bench().setBoardDelays({1, 2, 3, 4}));
    bench().setLanguage(Language::Russian);
    EXPECT_EQ(bench().title(), "[Unspecified] - Внутрисхемный программатор Tovel/Tovel-U 11.01");
    bench().shutDown();

    const AppSettings stored = SettingsFile(path).read();
    EXPECT_EQ(stored.comPort, 3);
    EXPECT_EQ(stored.baudIndex, 2);
    EXPECT_EQ(stored.boardDelays, (BoardDelays{1, 2, 3, 4}));
    EXPECT_EQ(stored.language, Language::Russian);
}

TEST_F(DrivingTheWorkbench, DroppedFiles) {
    start("ATmega8");
    bench().selectDevice(row("ATtiny26"));
    const std::string projectPath = folder() + "/job.TVK";
    ASSERT_TRUE(bench().project().save(projectPath));
    bench().selectDevice(row("ATmega8"));
    EXPECT_TRUE(bench().dropFile(projectPath, DropTarget::FlashPreview));
    EXPECT_EQ(bench().deviceNo(), row("ATtiny26"));

    const std::string text = ":020000000102FB\r\n:00000001FF\r\n";
    const std::string image = writeFile("x.hex", Bytes(text.begin(), text.end()));
    EXPECT_FALSE(bench().dropFile(image, DropTarget::None));
    EXPECT_TRUE(bench().dropFile(image, DropTarget::EepromPreview));
    EXPECT_EQ(bench().eeprom().size(), 2u);
    EXPECT_EQ(bench().eeprom().data()[1], 0x02);
}

TEST_F(DrivingTheWorkbench, UnattendedRunWithoutABoardEndsInError) {
    start("ATmega8");
    PortMap ports;
    ports.setOverride(1, folder() + "/no-such-port");
    PosixSerialChannel nowhere(ports, 100);
    Workbench lonely(ui, clock, nowhere, folder() + "/tovelisp.ini");
    lonely.readSettings();
    ASSERT_EQ(lonely.comPort(), 1);
    lonely.project().autoErase = true;
    ui.clear();

    EXPECT_FALSE(lonely.runUnattendedAutoProgram());
    EXPECT_EQ(ui.statuses().back(), "Autoprogram: ERROR erasing device");
    EXPECT_EQ(ui.boxes().back(), "AUTOPROGRAM: Error");
}

} // namespace
} // namespace tovel::test
