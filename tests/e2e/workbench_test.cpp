// The Workbench as the front ends drive it: the device selection, the title and enabled commands
// it reports, the settings it keeps in the settings file, drops, and the unattended run.
#include "e2e/ops_bench.h"

#include <fstream>

#include "image/memory_buffer.h"
#include "ops/chip_context.h"
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
    EXPECT_EQ(ui.lastStatus(), ""); // not the closed image's length line
    bench().setObserver(nullptr);
}

TEST_F(DrivingTheWorkbench, ProgrammingAnEmptyBufferIsNotDone) {
    start("ATmega8");
    bench().state().operationStatus = Outcome::Ok;
    ui.clear();
    bench().programFlash();
    EXPECT_EQ(ui.lastStatus(), "Flash program: nothing to program, the Flash buffer is empty");
    EXPECT_EQ(bench().state().operationStatus, Outcome::Failed);
    bench().programEeprom();
    EXPECT_EQ(ui.lastStatus(), "Eeprom program: nothing to program, the EEPROM buffer is empty");
    for (const std::string& status : ui.statuses())
        EXPECT_EQ(status.find("Done"), std::string::npos) << status;
    EXPECT_FALSE(ui.busy());
}

TEST_F(DrivingTheWorkbench, UnsavedWorkIsAskedAboutBeforeItIsThrownAway) {
    start("ATmega8");
    const std::string image = writeFile("a.bin", Bytes(16, 0x55));
    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, image));
    bench().project().clearModified();
    ui.clear();
    bench().closeProject(); // nothing unsaved: no question
    EXPECT_TRUE(ui.questions().empty());

    ASSERT_TRUE(bench().loadBufferFile(Memory::Flash, image));
    bench().flash().data()[0] = 0x11; // an edit, as the preview editor makes it
    bench().flash().markModified();
    EXPECT_TRUE(bench().hasUnsavedWork());
    ui.clear();

    // Cancel keeps everything as it is.
    ui.queueAnswer(Answer::Cancel);
    bench().closeProject();
    ui.queueAnswer(Answer::Cancel);
    EXPECT_FALSE(bench().reloadBuffer(Memory::Flash));
    EXPECT_EQ(bench().flash().data()[0], 0x11);
    ASSERT_EQ(ui.questions().size(), 2u);
    EXPECT_EQ(ui.questions()[0], "The project or a memory image has changes that are not saved.\n"
                                 "Save them before going on?");

    // Save writes the image to its file, then the command goes on.
    ui.queueAnswer(Answer::Yes);
    bench().newProject();
    std::ifstream written(image, std::ios::binary);
    EXPECT_EQ(written.get(), 0x11);
    EXPECT_FALSE(bench().hasUnsavedWork());

    // Discard throws the edit away.
    bench().flash().data()[0] = 0x22;
    bench().flash().markModified();
    ui.queueAnswer(Answer::No);
    EXPECT_TRUE(bench().reloadBuffer(Memory::Flash));
    EXPECT_EQ(bench().flash().data()[0], 0x11);
    EXPECT_EQ(ui.questions().size(), 4u);
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

    EXPECT_EQ(lonely.runUnattendedAutoProgram(), Outcome::Connection);
    EXPECT_EQ(ui.statuses().back(), "Autoprogram: ERROR erasing device");
    EXPECT_EQ(ui.boxes().back(), "AUTOPROGRAM: Error");
}

} // namespace
} // namespace tovel::test
