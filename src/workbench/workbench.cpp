#include "workbench/workbench.h"

#include "board/board_search.h"
#include "board/board_session.h"
#include "board/port_map.h"
#include "board/posix_serial_channel.h"
#include "devices/fuse_safety_check.h"
#include "image/buffer_commands.h"
#include "image/memory_buffer.h"
#include "image/memory_buffer_observer.h"
#include "ops/auto_program.h"
#include "ops/blank_check.h"
#include "ops/calibration_bytes.h"
#include "ops/chip_context.h"
#include "ops/chip_erase.h"
#include "ops/lock_fuse_operations.h"
#include "ops/memory_programming.h"
#include "ops/memory_reading.h"
#include "ops/memory_verifying.h"
#include "ops/operation_frame.h"
#include "ops/read_signature.h"
#include "project/project.h"
#include "project/project_commands.h"
#include "project/settings_file.h"
#include "project/value_ranges.h"
#include "workbench/image_lock_fuse_offer.h"

namespace tovel {

namespace {

PortMap portMapFrom(const SettingsFile& file) {
    PortMap ports;
    const PortPaths paths = file.readPortPaths();
    for (int k = 0; k < kComPortCount; ++k) {
        const auto& path = paths[static_cast<std::size_t>(k)];
        if (path) ports.setOverride(k + 1, *path);
    }
    return ports;
}

} // namespace

struct Workbench::Impl final : ProjectObserver, MemoryBufferObserver {
    Impl(UserInterface& ui_, Clock& clock_, SerialChannel* channel_, const ChannelFactory* makeChannel,
         std::string settingsPath)
        : ui(ui_), clock(clock_), settingsFile(std::move(settingsPath)), portMap(portMapFrom(settingsFile)),
          ownedChannel(channel_ == nullptr ? createChannel(makeChannel) : nullptr),
          channel(channel_ != nullptr ? *channel_ : *ownedChannel), session(channel, ui, messages, clock),
          flash(ui, messages, false), eeprom(ui, messages, true), project(ui, messages),
          projectCommands(project, settingsFile, ui), context{
                                                          ui,
                                                          messages,
                                                          clock,
                                                          session,
                                                          project,
                                                          flash,
                                                          eeprom,
                                                          settings,
                                                          state,
                                                          [this](int deviceNo) { selectDevice(deviceNo); },
                                                          [this](const MemoryBuffer& buffer) {
                                                              contentChanged(buffer);
                                                          }} {
        project.attach(this, &flash, &eeprom);
        // A link session that fails ends with the current project's link parameters.
        session.followProject([this] { return sessionParamsOf(project); });
        flash.setObserver(this);
        eeprom.setObserver(this);
        // The window starts with both buffers empty and named "[Unspecified]".
        flash.close();
        eeprom.close();
    }

    std::unique_ptr<SerialChannel> createChannel(const ChannelFactory* makeChannel) {
        std::unique_ptr<SerialChannel> made;
        if (makeChannel != nullptr && *makeChannel) made = (*makeChannel)(portMap);
        if (!made) made = std::make_unique<PosixSerialChannel>(portMap);
        return made;
    }

    Memory memoryOf(const MemoryBuffer& buffer) const {
        return &buffer == &eeprom ? Memory::Eeprom : Memory::Flash;
    }
    MemoryBuffer& bufferOf(Memory memory) { return memory == Memory::Eeprom ? eeprom : flash; }

    CommandStates commandStates() const {
        return commandStatesFor(project.deviceIndex,
                                {.flashHasData = flash.hasData(), .eepromHasData = eeprom.hasData()});
    }
    std::string title() const { return windowTitle(project.fileName(), project.modified(), messages); }

    // The window's refresh: title and enabled commands.
    void refresh() {
        if (observer == nullptr) return;
        observer->titleChanged(title());
        observer->commandStatesChanged(commandStates());
    }

    void selectDevice(int deviceNo) {
        if (!DeviceTable::isValidDeviceNo(deviceNo)) return;
        if (project.deviceIndex != deviceNo) {
            project.deviceIndex = deviceNo;
            project.markModified();
        }
        if (observer != nullptr) observer->deviceSelected(deviceNo);
        refresh();
    }

    // After a project was loaded: the device lists and the SCK period list follow it.
    void projectLoaded() {
        selectDevice(project.deviceIndex);
        recentChanged();
    }
    void recentChanged() {
        if (observer != nullptr) observer->recentProjectsChanged(projectCommands.recent());
    }

    // ProjectObserver
    void projectChanged() override {
        if (observer != nullptr) observer->projectChanged();
        refresh();
    }

    // MemoryBufferObserver
    void contentChanged(const MemoryBuffer& buffer) override {
        if (observer != nullptr) observer->bufferContentChanged(memoryOf(buffer));
    }
    void labelChanged(const MemoryBuffer& buffer, const std::string& text) override {
        if (observer != nullptr) observer->bufferLabelChanged(memoryOf(buffer), text);
    }
    void bufferMarkedModified(const MemoryBuffer& /*buffer*/) override { project.bufferMarkedModified(); }
    void bufferMatchesFile(const MemoryBuffer& buffer) override {
        project.buffersSaved();
        // An ELF file carries fuses too; the EEPROM buffer loading the same file asks nothing.
        if (&buffer == &flash && lockFuseOffer.offer(buffer.fileName(), project, ui, messages)) refresh();
    }
    void controlsChanged(const MemoryBuffer& /*buffer*/) override { refresh(); }

    bool bufferUnsaved(const MemoryBuffer& buffer) const { return buffer.modified() && buffer.hasData(); }

    // A board command that found no board: Connection, or Cancelled when a stop request cut it.
    Outcome linkFailure() const {
        const StopRequest* stop = session.stopRequest();
        return stop != nullptr && stop->requested() ? Outcome::Cancelled : Outcome::Connection;
    }

    // Save / Discard / Cancel; true when the caller may go on.
    bool askAboutUnsavedWork(const std::function<bool()>& save) {
        Question question;
        question.caption = messages.text(msg::QuestionCaption);
        question.text = messages.text(msg::UnsavedWorkQuestion);
        question.buttons = Buttons::SaveDiscardCancel;
        question.defaultAnswer = Answer::Yes;
        question.icon = BoxIcon::Warning;
        switch (ui.ask(question)) {
        case Answer::Yes:
            return save();
        case Answer::No:
            return true;
        case Answer::Ok:
        case Answer::Cancel:
            break;
        }
        return false;
    }

    bool saveBufferIfUnsaved(MemoryBuffer& buffer) {
        if (!bufferUnsaved(buffer)) return true;
        const bool saved = buffer.save();
        ui.setStatus(buffer.statusText());
        return saved;
    }

    bool bufferCommand(Memory memory, BufferCommand command) {
        const bool done = runBufferCommand(bufferOf(memory), command, ui, state.operationStatus);
        refresh();
        return done;
    }

    UserInterface& ui;
    Clock& clock;
    Messages messages;
    SettingsFile settingsFile;
    AppSettings settings;
    PortMap portMap;
    std::unique_ptr<SerialChannel> ownedChannel;
    SerialChannel& channel;
    BoardSession session;
    MemoryBuffer flash;
    MemoryBuffer eeprom;
    Project project;
    ProjectCommands projectCommands;
    OperationState state;
    ChipContext context;
    WorkbenchObserver* observer = nullptr;
    ImageLockFuseOffer lockFuseOffer;
};

Workbench::Workbench(UserInterface& ui, Clock& clock, SerialChannel& channel, std::string settingsPath)
    : impl_(std::make_unique<Impl>(ui, clock, &channel, nullptr, std::move(settingsPath))) {}

Workbench::Workbench(UserInterface& ui, Clock& clock, const ChannelFactory& makeChannel,
                     std::string settingsPath)
    : impl_(std::make_unique<Impl>(ui, clock, nullptr, &makeChannel, std::move(settingsPath))) {}

Workbench::~Workbench() = default;

void Workbench::setObserver(WorkbenchObserver* observer) {
    impl_->observer = observer;
    if (observer == nullptr) return;
    observer->languageChanged(impl_->messages.language());
    observer->boardSettingsChanged(impl_->settings.comPort, impl_->settings.baudIndex);
    observer->bufferLabelChanged(Memory::Flash, impl_->flash.labelText());
    observer->bufferLabelChanged(Memory::Eeprom, impl_->eeprom.labelText());
    observer->recentProjectsChanged(impl_->projectCommands.recent());
    observer->projectChanged();
    observer->deviceSelected(impl_->project.deviceIndex);
    impl_->refresh();
}

void Workbench::setLoadAddressPrompt(LoadAddressPrompt prompt) {
    impl_->flash.setLoadAddressPrompt(prompt);
    impl_->eeprom.setLoadAddressPrompt(std::move(prompt));
}

// --- Start-up and exit ---

void Workbench::readSettings() {
    impl_->settings = impl_->settingsFile.read();
    impl_->messages.setLanguage(impl_->settings.language);
    for (const ReplacedValue& replaced : replaceOutOfRangeSettings(impl_->settings))
        impl_->ui.showInfo(describeReplacedValue(replaced, impl_->settingsFile.path(), impl_->messages));
    if (impl_->observer != nullptr) {
        impl_->observer->languageChanged(impl_->settings.language);
        impl_->observer->boardSettingsChanged(impl_->settings.comPort, impl_->settings.baudIndex);
    }
    impl_->refresh();
}

bool Workbench::writeSettings() {
    return impl_->settingsFile.write(impl_->settings.comPort, impl_->settings.baudIndex,
                                     impl_->messages.language());
}

void Workbench::shutDown() {
    writeSettings();
    impl_->projectCommands.saveRecentList();
}

bool Workbench::openProjectAtStartup(const std::optional<std::string>& commandLinePath) {
    const bool loaded = impl_->projectCommands.openAtStartup(commandLinePath);
    impl_->projectLoaded();
    return loaded;
}

Outcome Workbench::runUnattendedAutoProgram() { return tovel::runUnattendedAutoProgram(impl_->context); }

// --- Unsaved work ---

bool Workbench::hasUnsavedWork() const {
    return impl_->project.settingsModified() || impl_->bufferUnsaved(impl_->flash) ||
           impl_->bufferUnsaved(impl_->eeprom);
}

bool Workbench::mayDiscardProject() {
    if (!hasUnsavedWork()) return true;
    const bool mayGo = impl_->askAboutUnsavedWork([this] {
        // The images first (each asks for a name if it has none); then the project, which names them.
        if (!impl_->saveBufferIfUnsaved(impl_->flash) || !impl_->saveBufferIfUnsaved(impl_->eeprom))
            return false;
        if (!impl_->project.settingsModified()) return true;
        const bool saved = impl_->projectCommands.save();
        impl_->recentChanged();
        return saved;
    });
    impl_->refresh();
    return mayGo;
}

bool Workbench::mayDiscardBuffer(Memory memory) {
    MemoryBuffer& buffer = impl_->bufferOf(memory);
    if (!impl_->bufferUnsaved(buffer)) return true;
    const bool mayGo =
        impl_->askAboutUnsavedWork([this, &buffer] { return impl_->saveBufferIfUnsaved(buffer); });
    impl_->refresh();
    return mayGo;
}

// --- Project menu ---

void Workbench::newProject() {
    if (!mayDiscardProject()) return;
    impl_->projectCommands.newProject();
    impl_->refresh();
}

bool Workbench::openProject() {
    if (!mayDiscardProject()) return false;
    const bool loaded = impl_->projectCommands.open();
    if (loaded) impl_->projectLoaded();
    impl_->refresh();
    return loaded;
}

bool Workbench::openProjectFile(const std::string& path) {
    const bool loaded = impl_->project.load(path);
    if (loaded) {
        impl_->projectCommands.addRecent(impl_->project.fileName());
        impl_->settingsFile.writeLoadMostRecent(true);
        impl_->projectLoaded();
    }
    impl_->refresh();
    return loaded;
}

bool Workbench::reloadProject() {
    if (!mayDiscardProject()) return false;
    const bool loaded = impl_->projectCommands.reload();
    if (loaded) impl_->selectDevice(impl_->project.deviceIndex);
    impl_->refresh();
    return loaded;
}

bool Workbench::saveProject() {
    const bool saved = impl_->projectCommands.save();
    impl_->recentChanged();
    impl_->refresh();
    return saved;
}

bool Workbench::saveProjectAs() {
    const bool saved = impl_->projectCommands.saveAs();
    impl_->recentChanged();
    impl_->refresh();
    return saved;
}

void Workbench::closeProject() {
    if (!mayDiscardProject()) return;
    impl_->projectCommands.close();
    impl_->ui.setStatus(std::string()); // a length line of the closed images is no longer true
    impl_->refresh();
}

bool Workbench::openRecentProject(int slot) {
    if (!mayDiscardProject()) return false;
    const bool loaded = impl_->projectCommands.openRecent(slot);
    impl_->projectLoaded();
    return loaded;
}

void Workbench::applyProjectSettings(const ProjectSettings& settings) {
    Project& project = impl_->project;
    const int device = settings.deviceIndex;
    const int current = project.deviceIndex;
    project.settings() = settings;
    project.deviceIndex = current; // the device goes through the selection below
    project.markModified();
    // An already modified project reports no change of its own: the window's "Inc" box and SCK
    // list must follow the new settings all the same.
    impl_->projectChanged();
    impl_->selectDevice(DeviceTable::isValidDeviceNo(device) ? device : current);
}

// --- Flash and Eeprom menus ---

bool Workbench::loadBuffer(Memory memory) {
    return mayDiscardBuffer(memory) && impl_->bufferCommand(memory, BufferCommand::Load);
}

bool Workbench::loadBufferFile(Memory memory, const std::string& path) {
    MemoryBuffer& buffer = impl_->bufferOf(memory);
    const bool loaded = buffer.load(path) && buffer.fileName() == path;
    if (loaded) impl_->ui.setStatus(buffer.statusText());
    impl_->refresh();
    return loaded;
}

bool Workbench::loadBufferAt(Memory memory) { return impl_->bufferCommand(memory, BufferCommand::LoadAt); }
bool Workbench::reloadBuffer(Memory memory) {
    return mayDiscardBuffer(memory) && impl_->bufferCommand(memory, BufferCommand::Reload);
}
bool Workbench::saveBuffer(Memory memory) { return impl_->bufferCommand(memory, BufferCommand::Save); }
bool Workbench::saveBufferAs(Memory memory) { return impl_->bufferCommand(memory, BufferCommand::SaveAs); }
bool Workbench::closeBuffer(Memory memory) {
    return mayDiscardBuffer(memory) && impl_->bufferCommand(memory, BufferCommand::Close);
}

bool Workbench::writeCounterBack(Memory memory) {
    MemoryBuffer& buffer = impl_->bufferOf(memory);
    const MemoryBuffer::WriteBack result = buffer.writeBackToSourceFile();
    const Messages& messages = impl_->messages;
    switch (result) {
    case MemoryBuffer::WriteBack::Written:
        impl_->ui.setStatus(buffer.statusText());
        break;
    case MemoryBuffer::WriteBack::NotFromFile:
        impl_->ui.showInfo(messages.format(msg::CounterFileNotSource, buffer.labelText().c_str()));
        break;
    case MemoryBuffer::WriteBack::FileChanged:
        impl_->ui.showInfo(messages.format(msg::CounterFileChanged, buffer.fileName().c_str()));
        break;
    case MemoryBuffer::WriteBack::CannotWrite:
        break; // "Cannot save file" was shown
    }
    impl_->refresh();
    return result == MemoryBuffer::WriteBack::Written;
}

bool Workbench::dropFile(const std::string& path, DropTarget target) {
    switch (dropActionFor(path, target)) {
    case DropAction::OpenProject: {
        if (!mayDiscardProject()) return true; // taken, and the person kept the work
        const bool loaded = impl_->project.load(path);
        if (loaded) impl_->selectDevice(impl_->project.deviceIndex);
        impl_->refresh();
        return loaded;
    }
    case DropAction::LoadFlash:
        return !mayDiscardBuffer(Memory::Flash) || loadBufferFile(Memory::Flash, path);
    case DropAction::LoadEeprom:
        return !mayDiscardBuffer(Memory::Eeprom) || loadBufferFile(Memory::Eeprom, path);
    case DropAction::Beep:
    case DropAction::Ignore:
        break;
    }
    return false;
}

// --- Chip operations ---

Outcome Workbench::programFlash() { return tovel::programFlash(impl_->context); }
Outcome Workbench::verifyFlash() { return tovel::verifyFlash(impl_->context); }
Outcome Workbench::readFlash() { return tovel::readFlash(impl_->context); }
Outcome Workbench::programEeprom() { return tovel::programEeprom(impl_->context); }
Outcome Workbench::verifyEeprom() { return tovel::verifyEeprom(impl_->context); }
Outcome Workbench::readEeprom() { return tovel::readEeprom(impl_->context); }
Outcome Workbench::chipErase() { return tovel::chipErase(impl_->context); }
Outcome Workbench::readSignature() { return tovel::readSignature(impl_->context); }
Outcome Workbench::readSignatureButton() { return tovel::readSignatureButton(impl_->context); }
Outcome Workbench::blankCheck() { return tovel::blankCheck(impl_->context); }
Outcome Workbench::readCalibrationBytes() { return tovel::readCalibrationBytes(impl_->context); }
Outcome Workbench::autoProgram() {
    // The lock and fuse choice is put to the person again before the run would write it, and a
    // No stops the run before it has done anything. (The unattended run does not come here.)
    const Project& project = impl_->project;
    const FuseLayout* layout = layoutOf(project.deviceIndex);
    if (project.programFuses && layout != nullptr &&
        !confirmLockFuseSettings(*layout, project.lockFuseSelection, impl_->messages, impl_->ui)) {
        impl_->ui.setStatus(impl_->messages.text(msg::OperationCancelled));
        return Outcome::Cancelled;
    }
    return tovel::autoProgram(impl_->context);
}

Outcome Workbench::lockFuseCommand() {
    return tovel::lockFuseCommand(impl_->context, [this](int deviceNo, const LockFuseSettings& read) {
        if (impl_->observer != nullptr) impl_->observer->openLockFuseDialog(deviceNo, read);
    });
}

Outcome Workbench::readLockFuse(LockFuseSettings& settings) {
    return tovel::readLockFuse(impl_->context, settings);
}
LockFuseWrite Workbench::programLockFuse(const LockFuseSettings& settings) {
    return tovel::programLockFuse(impl_->context, settings);
}
Outcome Workbench::verifyLockFuse(const LockFuseSettings& expected) {
    return tovel::verifyLockFuse(impl_->context, expected);
}

// --- Board commands ---

Outcome Workbench::searchBoard() {
    // The port found is kept for this run; it is written at exit or by the Board Settings dialog.
    impl_->settings.comPort = tovel::searchBoard(impl_->session);
    if (impl_->observer != nullptr)
        impl_->observer->boardSettingsChanged(impl_->settings.comPort, impl_->settings.baudIndex);
    return impl_->settings.comPort != 0 ? Outcome::Ok : impl_->linkFailure();
}

Outcome Workbench::showBoardInfo() {
    return impl_->session.showBoardInfo(impl_->settings.comPort) ? Outcome::Ok : impl_->linkFailure();
}

Outcome Workbench::updateFirmware(const std::string& imagePath, const SelfProgramSettings& settingsDialog) {
    return tovel::updateFirmware(impl_->session, impl_->settings.comPort, imagePath, settingsDialog);
}

// --- Settings ---

bool Workbench::setPortAndSpeed(int comPort, int baudIndex) {
    overridePortAndSpeed(comPort, baudIndex);
    return impl_->settingsFile.writePortAndSpeed(comPort, baudIndex);
}

void Workbench::overridePortAndSpeed(int comPort, int baudIndex) {
    impl_->settings.comPort = comPort;
    impl_->settings.baudIndex = baudIndex;
    if (impl_->observer != nullptr) impl_->observer->boardSettingsChanged(comPort, baudIndex);
}

bool Workbench::setComPort(int comPort) { return setPortAndSpeed(comPort, impl_->settings.baudIndex); }
bool Workbench::setBaudIndex(int baudIndex) { return setPortAndSpeed(impl_->settings.comPort, baudIndex); }

bool Workbench::setBoardDelays(const BoardDelays& delays) {
    if (!areValidBoardDelays(delays)) return false;
    impl_->settings.boardDelays = delays;
    return impl_->settingsFile.writeBoardDelays(delays);
}

void Workbench::setLanguage(Language language) {
    impl_->messages.setLanguage(language);
    impl_->settings.language = language;
    if (impl_->observer != nullptr) impl_->observer->languageChanged(language);
    impl_->refresh();
}

// --- Device and window controls ---

void Workbench::selectDevice(int deviceNo) { impl_->selectDevice(deviceNo); }

void Workbench::setSckPeriod(int sckPeriodIndex) {
    if (sckPeriodIndex < 0 || sckPeriodIndex >= kSckPeriodCount) return;
    impl_->project.sckPeriodIndex = sckPeriodIndex;
}

void Workbench::setFlashInvert(bool inverted) {
    impl_->project.flashInvert = inverted;
    impl_->project.markModified();
    if (impl_->observer != nullptr) impl_->observer->bufferContentChanged(Memory::Flash);
}

void Workbench::setEepromAutoIncrement(bool on) {
    impl_->project.markModified();
    impl_->project.autoIncrementEeprom = on;
}

// --- State ---

int Workbench::deviceNo() const { return impl_->project.deviceIndex; }
int Workbench::comPort() const { return impl_->settings.comPort; }
int Workbench::baudIndex() const { return impl_->settings.baudIndex; }
const BoardDelays& Workbench::boardDelays() const { return impl_->settings.boardDelays; }
Language Workbench::language() const { return impl_->messages.language(); }
CommandStates Workbench::commandStates() const { return impl_->commandStates(); }
std::string Workbench::title() const { return impl_->title(); }
bool Workbench::autoProgramOk() const { return impl_->state.autoProgramOk; }

UserInterface& Workbench::ui() { return impl_->ui; }
const Messages& Workbench::messages() const { return impl_->messages; }
Clock& Workbench::clock() { return impl_->clock; }
const AppSettings& Workbench::settings() const { return impl_->settings; }
const SettingsFile& Workbench::settingsFile() const { return impl_->settingsFile; }
PortMap& Workbench::portMap() { return impl_->portMap; }
Project& Workbench::project() { return impl_->project; }
const Project& Workbench::project() const { return impl_->project; }
ProjectCommands& Workbench::projectCommands() { return impl_->projectCommands; }
MemoryBuffer& Workbench::buffer(Memory memory) { return impl_->bufferOf(memory); }
const MemoryBuffer& Workbench::buffer(Memory memory) const {
    return memory == Memory::Eeprom ? impl_->eeprom : impl_->flash;
}
BoardSession& Workbench::session() { return impl_->session; }
OperationState& Workbench::state() { return impl_->state; }
const OperationState& Workbench::state() const { return impl_->state; }
ChipContext& Workbench::chipContext() { return impl_->context; }

} // namespace tovel
