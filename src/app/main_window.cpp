#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/board_traffic_trace.h"
#include "app/dialogs/sck_period_texts.h"
#include "app/dialogs/window_translation.h"
#include "app/dialogs/workbench_dialogs.h"
#include "app/doctor_window.h"
#include "app/help_document.h"
#include "app/help_window.h"
#include "app/language_dialog.h"
#include "app/main_menu.h"
#include "app/memory_preview.h"
#include "app/messages_panel.h"
#include "app/path_label.h"
#include "app/production_window.h"
#include "app/qt_language.h"
#include "app/qt_user_interface.h"
#include "app/status_line.h"
#include "devices/device_table.h"
#include "i18n/command_ids.h"
#include "i18n/control_ids.h"
#include "i18n/desktop_texts.h"
#include "i18n/ui_translation.h"
#include "image/memory_buffer.h"
#include "ops/chip_context.h"
#include "ops/signature_naming.h"
#include "project/project.h"
#include "project/settings_file.h"

namespace tovel::app {

namespace {

using namespace ui::mainWindow; // the ids of the controls that are not commands

// Rows of the previews at the window's default size.
constexpr int kFlashPreviewRows = 12;
constexpr int kEepromPreviewRows = 5;

QString qs(const std::string& text) { return QString::fromStdString(text); }

template <typename Setter> void withoutSignals(QObject* object, Setter set) {
    const QSignalBlocker block(object);
    set();
}

} // namespace

MainWindow::MainWindow(Workbench& workbench, QtUserInterface& ui, QtLanguage* qtLanguage, QWidget* parent)
    : QMainWindow(parent), workbench_(workbench), ui_(ui), qtLanguage_(qtLanguage) {
    setWindowIcon(QIcon(QStringLiteral(":/tovelisp/tovelisp.png")));
    setAcceptDrops(true);
    mapCommands();
    buildWidgets();

    menu_ = new MainMenu(*menuBar(), this);
    connect(menu_, &MainMenu::commandChosen, this, &MainWindow::runCommand);

    ui_.setParentWindow(this);
    ui_.setMessages(workbench_.messages());
    ui_.setStatusSink([this](const QString& text) { statusLine_->setText(text); });
    buildMessagesPanel();
    installLoadAddressDialog(this, workbench_);
    flashPreview_->setBuffer(&workbench_.flash());
    eepromPreview_->setBuffer(&workbench_.eeprom());

    qApp->installEventFilter(this);
    retranslate();
    workbench_.setObserver(this);
}

MainWindow::~MainWindow() {
    // Tearing the window down hides the panel: that is not the person's choice to remember.
    disconnect(messagesPanel_->toggleViewAction(), nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    workbench_.setObserver(nullptr);
    workbench_.setLoadAddressPrompt(nullptr);
    ui_.setStatusSink(nullptr);
    ui_.setLogSink(nullptr);
    ui_.setParentWindow(nullptr);
}

// --- Layout ---

void MainWindow::buildWidgets() {
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->addWidget(buildFlashArea(), 0, 0);
    grid->addWidget(buildEepromArea(), 1, 0);
    grid->addWidget(buildDeviceArea(), 0, 1, 2, 1, Qt::AlignTop);

    statusLine_ = new StatusLine(central);
    statusLine_->setText(QStringLiteral("Please wait..."));
    setControlId(statusLine_, StatusLineId);
    connect(statusLine_, &StatusLine::clicked, this, [this] { runCommand(command::StatusLineClick); });
    sckCombo_ = new QComboBox(central);
    sckCombo_->addItems(sckPeriodTexts());
    setControlId(sckCombo_, SckComboId);
    connect(sckCombo_, &QComboBox::activated, this, [this](int index) { workbench_.setSckPeriod(index); });
    grid->addWidget(statusLine_, 2, 0);
    grid->addWidget(sckCombo_, 2, 1);

    // Only the Flash area takes height the window gains.
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    setCentralWidget(central);
}

void MainWindow::buildMessagesPanel() {
    messagesPanel_ = new MessagesPanel(ui_, this);
    messagesPanel_->setAllowedAreas(Qt::BottomDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, messagesPanel_);
    ui_.setLogSink([this](const QString& text) { messagesPanel_->append(text); });
    QAction* toggle = messagesPanel_->toggleViewAction();
    menu_->addWindowToggle(toggle);
    // Remembered between runs; only the person's own choice is stored.
    messagesPanel_->setVisible(workbench_.settingsFile().readShowMessages());
    connect(toggle, &QAction::toggled, this,
            [this](bool shown) { workbench_.settingsFile().writeShowMessages(shown); });
}

QPushButton* MainWindow::addButton(int commandId, const char* text, QWidget* parent) {
    auto* pushButton = new QPushButton(QString::fromUtf8(text), parent);
    pushButton->setAutoDefault(false);
    setControlId(pushButton, static_cast<unsigned>(commandId));
    connect(pushButton, &QPushButton::clicked, this, [this, commandId] { runCommand(commandId); });
    return pushButton;
}

QWidget* MainWindow::buildFlashArea() {
    flashGroup_ = new QGroupBox(QStringLiteral("Flash"));
    setControlId(flashGroup_, FlashGroupId);
    flashName_ = new PathLabel(flashGroup_);
    setControlId(flashName_, FlashNameId);
    invertBox_ = new QCheckBox(QStringLiteral("Inv"), flashGroup_);
    setControlId(invertBox_, command::FlashInvert);
    connect(invertBox_, &QCheckBox::clicked, this, [this] { runCommand(command::FlashInvert); });
    flashPreview_ = new MemoryPreview(flashGroup_);
    flashPreview_->setPreferredRows(kFlashPreviewRows);
    flashPreview_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    auto* top = new QHBoxLayout;
    top->addWidget(flashName_, 1);
    top->addWidget(invertBox_);
    for (QPushButton* small : {addButton(command::LoadFlash, ">>", flashGroup_),
                               addButton(command::ReloadFlash, "!", flashGroup_)}) {
        small->setFixedWidth(small->fontMetrics().horizontalAdvance(QStringLiteral(">>")) + 24);
        top->addWidget(small);
    }
    auto* layout = new QVBoxLayout(flashGroup_);
    layout->addLayout(top);
    layout->addWidget(flashPreview_, 1);
    return flashGroup_;
}

QWidget* MainWindow::buildEepromArea() {
    eepromGroup_ = new QGroupBox(QStringLiteral("EEPROM"));
    setControlId(eepromGroup_, EepromGroupId);
    eepromName_ = new PathLabel(eepromGroup_);
    setControlId(eepromName_, EepromNameId);
    incrementBox_ = new QCheckBox(QStringLiteral("Inc"), eepromGroup_);
    setControlId(incrementBox_, command::EepromAutoIncrement);
    connect(incrementBox_, &QCheckBox::clicked, this, [this] { runCommand(command::EepromAutoIncrement); });
    eepromPreview_ = new MemoryPreview(eepromGroup_);
    eepromPreview_->setPreferredRows(kEepromPreviewRows);
    eepromPreview_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* top = new QHBoxLayout;
    top->addWidget(eepromName_, 1);
    top->addWidget(incrementBox_);
    for (QPushButton* small : {addButton(command::LoadEeprom, ">>", eepromGroup_),
                               addButton(command::ReloadEeprom, "!", eepromGroup_)}) {
        small->setFixedWidth(small->fontMetrics().horizontalAdvance(QStringLiteral(">>")) + 24);
        top->addWidget(small);
    }
    auto* layout = new QVBoxLayout(eepromGroup_);
    layout->addLayout(top);
    layout->addWidget(eepromPreview_);
    eepromGroup_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return eepromGroup_;
}

QWidget* MainWindow::buildDeviceArea() {
    deviceGroup_ = new QGroupBox(QStringLiteral("Device"));
    setControlId(deviceGroup_, DeviceGroupId);
    familyCombo_ = new QComboBox(deviceGroup_);
    setControlId(familyCombo_, FamilyComboId);
    for (int family = 0; family < kFamilyCount; ++family)
        familyCombo_->addItem(QString::fromUtf8(DeviceTable::familyName(family)));
    deviceCombo_ = new QComboBox(deviceGroup_);
    setControlId(deviceCombo_, DeviceComboId);
    fillDeviceCombo(0);
    connect(familyCombo_, &QComboBox::activated, this, &MainWindow::familyChosen);
    connect(deviceCombo_, &QComboBox::activated, this, [this](int) { deviceChosen(); });

    auto* layout = new QVBoxLayout(deviceGroup_);
    layout->addWidget(familyCombo_);
    layout->addWidget(deviceCombo_);
    layout->addSpacing(8);
    const auto addGroup = [&](std::initializer_list<std::pair<int, const char*>> group) {
        for (const auto& [commandId, text] : group)
            layout->addWidget(addButton(commandId, text, deviceGroup_));
        layout->addSpacing(8);
    };
    addGroup({{command::ReadSignatureButton, "Read signature"},
              {command::AutoProgram, "Auto-program"},
              {command::BlankCheck, "Blank check"}});
    addGroup({{command::ProgramFlash, "Program Flash"},
              {command::ReadFlash, "Read Flash"},
              {command::VerifyFlash, "Verify Flash"}});
    addGroup({{command::ProgramEeprom, "Program EEPROM"},
              {command::ReadEeprom, "Read EEPROM"},
              {command::VerifyEeprom, "Verify EEPROM"}});
    layout->addWidget(addButton(command::ChipErase, "Chip Erase", deviceGroup_));
    layout->addStretch();

    // Wide enough for the buttons in either language, so a language switch never squeezes them
    // in the fixed-width window.
    int widest = 0;
    for (const Language language : {Language::English, Language::Russian}) {
        if (const std::optional<ui::DialogTexts> texts = ui::dialogTexts(ui::MainWindowId, language)) {
            for (const ui::ControlText& control : texts->controls) {
                if (QPushButton* pushButton = button(static_cast<int>(control.controlId))) {
                    const QString text =
                        QString::fromUtf8(control.text.data(), static_cast<qsizetype>(control.text.size()));
                    const int width = pushButton->fontMetrics().horizontalAdvance(text);
                    widest = std::max(widest, width);
                }
            }
        }
    }
    for (QPushButton* pushButton : deviceGroup_->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        pushButton->setMinimumWidth(widest + 24);
    return deviceGroup_;
}

void MainWindow::fixSizeToContent() {
    // The laid-out size itself (adjustSize would hold a window to two thirds of a small screen).
    const QSize initial = sizeHint().expandedTo(minimumSizeHint());
    resize(initial);
    setMinimumSize(initial);
    setMaximumWidth(initial.width());
}

QPushButton* MainWindow::button(int commandId) const {
    return qobject_cast<QPushButton*>(findControl(*this, static_cast<unsigned>(commandId)));
}

// --- Command map ---

// One handler per command id; menu items and buttons sharing an id run the same handler.
void MainWindow::mapCommands() {
    Workbench& wb = workbench_;
    // A dialog of the opener's (DialogHooks), run when it gave one.
    const auto hook = [this](auto member, auto... arguments) {
        return [this, member, arguments...] {
            if (hooks_.*member) (hooks_.*member)(arguments...);
        };
    };
    commands_ = {
        // Flash and Eeprom menus, and the ">>" and "!" buttons.
        {command::LoadFlash, [&wb] { wb.loadBuffer(Memory::Flash); }},
        {command::LoadFlashAt, [&wb] { wb.loadBufferAt(Memory::Flash); }},
        {command::ReloadFlash, [&wb] { wb.reloadBuffer(Memory::Flash); }},
        {command::SaveFlash, [&wb] { wb.saveBuffer(Memory::Flash); }},
        {command::SaveFlashAs, [&wb] { wb.saveBufferAs(Memory::Flash); }},
        {command::CloseFlash, [&wb] { wb.closeBuffer(Memory::Flash); }},
        {command::LoadEeprom, [&wb] { wb.loadBuffer(Memory::Eeprom); }},
        {command::LoadEepromAt, [&wb] { wb.loadBufferAt(Memory::Eeprom); }},
        {command::ReloadEeprom, [&wb] { wb.reloadBuffer(Memory::Eeprom); }},
        {command::SaveEeprom, [&wb] { wb.saveBuffer(Memory::Eeprom); }},
        {command::SaveEepromAs, [&wb] { wb.saveBufferAs(Memory::Eeprom); }},
        {command::CloseEeprom, [&wb] { wb.closeBuffer(Memory::Eeprom); }},

        // Chip operations.
        {command::ProgramFlash, [&wb] { wb.programFlash(); }},
        {command::ReadFlash, [&wb] { wb.readFlash(); }},
        {command::VerifyFlash, [&wb] { wb.verifyFlash(); }},
        {command::ProgramEeprom, [&wb] { wb.programEeprom(); }},
        {command::ReadEeprom, [&wb] { wb.readEeprom(); }},
        {command::VerifyEeprom, [&wb] { wb.verifyEeprom(); }},
        {command::ChipErase, [&wb] { wb.chipErase(); }},
        {command::BlankCheck, [&wb] { wb.blankCheck(); }},
        {command::AutoProgram, [&wb] { wb.autoProgram(); }},
        {command::ReadSignature,
         [this] {
             workbench_.readSignature();
             pointToDiagnosisIfNoChipSpoke();
         }},
        {command::ReadSignatureButton,
         [this] {
             workbench_.readSignatureButton();
             pointToDiagnosisIfNoChipSpoke();
         }},
        {command::ReadCalibrationBytes, [&wb] { wb.readCalibrationBytes(); }},
        {command::LockFuseBits, [&wb] { wb.lockFuseCommand(); }},

        // Project menu.
        {command::NewProject, [&wb] { wb.newProject(); }},
        {command::OpenProject, [&wb] { wb.openProject(); }},
        {command::ReloadProject, [&wb] { wb.reloadProject(); }},
        {command::SaveProject, [&wb] { wb.saveProject(); }},
        {command::SaveProjectAs, [&wb] { wb.saveProjectAs(); }},
        {command::CloseProject, [&wb] { wb.closeProject(); }},
        {command::Exit,
         [this] {
             if (workbench_.mayDiscardProject()) close();
         }},
        {command::Production,
         [this] {
             ProductionWindow production(workbench_, this);
             production.exec();
         }},

        // Settings.
        {command::ProjectSettings, hook(&DialogHooks::projectSettings, false)},
        {command::StatusLineClick, hook(&DialogHooks::projectSettings, true)},
        {command::BoardSettings, [this] { boardSettings(); }},
        {command::AdvancedBoardSettings, hook(&DialogHooks::advancedBoardSettings)},
        {command::SelectLanguage, [this] { chooseLanguage(); }},

        // Advanced.
        {command::SearchBoard, [&wb] { wb.searchBoard(); }},
        {command::UpdateFirmware, hook(&DialogHooks::updateFirmware)},
        {command::BoardInfo, [&wb] { wb.showBoardInfo(); }},
        {command::DiagnoseConnection, [this] { DoctorWindow::run(this, workbench_, ui_.stopRequest()); }},
        {command::TraceBoardTraffic,
         [this] {
             if (trace_ != nullptr) trace_->toggle();
             showBoardTrafficTrace();
         }},

        // Help.
        {command::Help, [this] { openHelp(); }},
        {command::About, hook(&DialogHooks::about)},

        // The check boxes of the Flash and EEPROM areas.
        {command::FlashInvert,
         [this] {
             workbench_.setFlashInvert(invertBox_->isChecked());
             projectChanged(); // an already modified project reports no change: follow it here
         }},
        {command::EepromAutoIncrement,
         [this] {
             workbench_.setEepromAutoIncrement(incrementBox_->isChecked());
             projectChanged(); // the project reports the change before it takes the new value
         }},
    };
    // The entries of the "Recent Projects" submenu.
    for (int commandId = command::FirstRecentProject; commandId <= command::LastRecentProject; ++commandId)
        commands_[commandId] = [&wb, slot = commandId - command::FirstRecentProject] {
            wb.openRecentProject(slot);
        };
}

void MainWindow::runCommand(int commandId) {
    // An id without a handler does nothing (the "Recent Projects" placeholder, for one).
    if (const auto handler = commands_.find(commandId); handler != commands_.end()) handler->second();
}

// A signature read as 00 00 00 or FF FF FF names no cause (power, wiring, an empty socket): the
// status line that shows it also names the Diagnose command. Only when the status line shows that
// very signature, so a command that read none leaves it alone.
void MainWindow::pointToDiagnosisIfNoChipSpoke() {
    const SignatureBytes& signature = workbench_.state().lastSignature;
    if (!signatureNamesNoChip(signature)) return;
    const Messages& messages = workbench_.messages();
    const std::string shown = messages.format(msg::SignatureNamed, signature[0], signature[1], signature[2],
                                              signatureName(identifySignature(signature), messages).c_str());
    if (ui_.lastStatus().toStdString() != shown) return;
    ui_.setStatus(shown + ". " + messages.text(msg::DoctorHintDesktop));
}

void MainWindow::setBoardTrafficTrace(BoardTrafficTrace* trace) {
    trace_ = trace;
    showBoardTrafficTrace();
}

// The menu item names the file while a trace runs, and bears a check mark.
void MainWindow::showBoardTrafficTrace() {
    QAction* item = menu_->action(command::TraceBoardTraffic);
    if (item == nullptr) return;
    const bool available = trace_ != nullptr && trace_->available();
    item->setEnabled(available);
    item->setCheckable(true);
    item->setChecked(available && trace_->active());
    if (available) item->setText(qs(trace_->menuText()));
}

void MainWindow::boardSettings() {
    // The dialog starts from what the settings file holds now.
    runBoardSettings(this, workbench_);
}

void MainWindow::chooseLanguage() {
    if (const std::optional<Language> language = LanguageDialog::ask(this, workbench_.language()))
        workbench_.setLanguage(*language);
}

void MainWindow::openHelp() {
    const Language language = workbench_.language();
    const QStringList candidates = helpDocumentCandidates(QCoreApplication::applicationDirPath(),
                                                          QStringLiteral(TOVEL_DATA_DIR), language);
    const std::optional<QString> document = findHelpDocument(candidates);
    const auto cannotFind = [&](const QString& path) {
        ui_.showInfo(workbench_.messages().format(msg::CannotFindHelpFile, path.toStdString().c_str()));
    };
    if (!document) return cannotFind(candidates.last());
    if (hooks_.openDocument) {
        hooks_.openDocument(*document);
        return;
    }
    // The program's own window: no desktop viewer needed, and a failure always says so.
    if (helpWindow_ == nullptr) helpWindow_ = new HelpWindow(this);
    helpWindow_->retranslate(language);
    if (!helpWindow_->loadManual(*document)) return cannotFind(*document);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

// --- Device lists ---

void MainWindow::fillDeviceCombo(int family) {
    withoutSignals(deviceCombo_, [&] {
        deviceCombo_->clear();
        for (const int row : DeviceTable::devicesOfFamily(family))
            deviceCombo_->addItem(QString::fromUtf8(DeviceTable::device(row).name));
        deviceCombo_->setCurrentIndex(0);
    });
}

void MainWindow::familyChosen(int family) {
    fillDeviceCombo(family);
    deviceChosen();
}

void MainWindow::deviceChosen() {
    const int deviceNo =
        DeviceTable::deviceNoFromSelection(familyCombo_->currentIndex(), deviceCombo_->currentIndex());
    if (deviceNo >= 0) workbench_.selectDevice(deviceNo);
}

// --- Drag and drop ---

void MainWindow::closeEvent(QCloseEvent* event) {
    // The person closing the window asks about unsaved work as Exit does; a close the program
    // makes itself (Exit has asked already, a finished screenshot run) does not.
    if (event->spontaneous() && !workbench_.mayDiscardProject()) {
        event->ignore();
        return;
    }
    // The window hiding hides the panel too: that is not the person's choice to remember.
    disconnect(messagesPanel_->toggleViewAction(), nullptr, this, nullptr);
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths << (url.isLocalFile() ? url.toLocalFile() : QString());
    event->acceptProposedAction();
    dropFiles(paths, event->position().toPoint());
}

void MainWindow::dropFiles(const QStringList& paths, const QPoint& position) {
    if (paths.size() != 1 || paths.first().isEmpty()) return;
    const auto lies = [&](MemoryPreview* preview) {
        return QRect(preview->mapTo(this, QPoint(0, 0)), preview->size()).contains(position);
    };
    const DropTarget target = lies(flashPreview_)    ? DropTarget::FlashPreview
                              : lies(eepromPreview_) ? DropTarget::EepromPreview
                                                     : DropTarget::None;
    if (!workbench_.dropFile(paths.first().toStdString(), target) && target == DropTarget::None) beep();
}

void MainWindow::beep() {
    QApplication::beep();
    Q_EMIT beeped();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A right double-click anywhere in the window opens the Advanced Board Settings.
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (widget != nullptr && widget->window() == this && mouse->button() == Qt::RightButton) {
            runCommand(command::AdvancedBoardSettings);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Language ---

void MainWindow::retranslate() {
    const Language language = workbench_.language();
    if (qtLanguage_ != nullptr) qtLanguage_->apply(language);
    menu_->translate(language);
    withoutSignals(sckCombo_, [&] {
        const int sck = sckCombo_->currentIndex();
        sckCombo_->clear();
        sckCombo_->addItems(sckPeriodTexts(language));
        sckCombo_->setCurrentIndex(sck);
    });
    messagesPanel_->retranslate(language);
    messagesPanel_->toggleViewAction()->setText(
        QString::fromUtf8(ui::desktopText(ui::DesktopText::MessagesMenuItem, language)));
    translateWindow(*this, ui::MainWindowId, language);
    // The window has no title of its own in the tables: the title rule gives it.
    setWindowTitle(qs(workbench_.title()));
    // The small buttons say what they do through the menu items they share an id with, to the
    // eye and to a screen reader.
    for (const int commandId :
         {command::LoadFlash, command::ReloadFlash, command::LoadEeprom, command::ReloadEeprom}) {
        if (QAction* item = menu_->action(commandId)) {
            const QString what = QString::fromStdString(ui::withoutMnemonic(item->text().toStdString()));
            const QString area = (commandId == command::LoadFlash || commandId == command::ReloadFlash)
                                     ? QStringLiteral("Flash")
                                     : QStringLiteral("EEPROM");
            button(commandId)->setToolTip(what);
            button(commandId)->setAccessibleName(area + QStringLiteral(": ") + what);
        }
    }
    nameControlsWithoutText(language);
    showBoardTrafficTrace();
    commandStatesChanged(workbench_.commandStates());
}

// The names a screen reader reads for the controls that show no text of their own.
void MainWindow::nameControlsWithoutText(Language language) {
    const auto name = [language](ui::DesktopText id) {
        return QString::fromUtf8(ui::desktopText(id, language));
    };
    flashPreview_->setAccessibleName(name(ui::DesktopText::FlashPreviewName));
    eepromPreview_->setAccessibleName(name(ui::DesktopText::EepromPreviewName));
    flashPreview_->setLanguage(language);
    eepromPreview_->setLanguage(language);
    familyCombo_->setAccessibleName(name(ui::DesktopText::FamilyListName));
    deviceCombo_->setAccessibleName(name(ui::DesktopText::DeviceListName));
    sckCombo_->setAccessibleName(name(ui::DesktopText::SckListName));
    statusLine_->setAccessibleName(name(ui::DesktopText::StatusLineName));
    flashName_->setAccessibleName(name(ui::DesktopText::FlashFileName));
    eepromName_->setAccessibleName(name(ui::DesktopText::EepromFileName));
}

// --- WorkbenchObserver ---

void MainWindow::deviceSelected(int deviceNo) {
    if (!DeviceTable::isValidDeviceNo(deviceNo)) return;
    const DeviceSelection selection = DeviceTable::selectionFromDeviceNo(deviceNo);
    withoutSignals(familyCombo_, [&] { familyCombo_->setCurrentIndex(selection.familyPos); });
    fillDeviceCombo(selection.familyPos);
    withoutSignals(deviceCombo_, [&] { deviceCombo_->setCurrentIndex(selection.devicePos); });
}

void MainWindow::bufferContentChanged(Memory memory) {
    (memory == Memory::Flash ? flashPreview_ : eepromPreview_)->bufferChanged();
}

void MainWindow::bufferLabelChanged(Memory memory, const std::string& text) {
    (memory == Memory::Flash ? flashName_ : eepromName_)->setFullText(qs(text));
}

void MainWindow::projectChanged() {
    const Project& project = workbench_.project();
    withoutSignals(invertBox_, [&] { invertBox_->setChecked(project.flashInvert); });
    withoutSignals(incrementBox_, [&] { incrementBox_->setChecked(project.autoIncrementEeprom); });
    withoutSignals(sckCombo_, [&] { sckCombo_->setCurrentIndex(project.sckPeriodIndex); });
    flashPreview_->setSwapPairs(project.flashInvert);
}

void MainWindow::titleChanged(const std::string& title) { setWindowTitle(qs(title)); }

void MainWindow::commandStatesChanged(const CommandStates& states) {
    const std::pair<int, bool> rules[] = {
        {command::ReadFlash, states.readFlash},         {command::ProgramFlash, states.programFlash},
        {command::VerifyFlash, states.verifyFlash},     {command::ReadEeprom, states.readEeprom},
        {command::ProgramEeprom, states.programEeprom}, {command::VerifyEeprom, states.verifyEeprom},
        {command::ChipErase, states.chipErase},         {command::BlankCheck, states.blankCheck},
        {command::AutoProgram, states.autoProgram},     {command::ReadSignatureButton, states.readSignature},
    };
    for (const auto& [commandId, enabled] : rules) button(commandId)->setEnabled(enabled);
    sckCombo_->setEnabled(states.sckPeriod);
    // Of the menu items only Read Calibration Bytes follows the device.
    menu_->action(command::ReadCalibrationBytes)->setEnabled(states.readCalibrationBytes);
}

void MainWindow::recentProjectsChanged(const RecentProjects& recent) {
    menu_->setRecentEntries(recent.menuEntries());
}

void MainWindow::languageChanged(Language /*language*/) { retranslate(); }

void MainWindow::openLockFuseDialog(int deviceNo, const LockFuseSettings& readFromChip) {
    if (hooks_.lockFuseBits) hooks_.lockFuseBits(deviceNo, readFromChip);
}

} // namespace tovel::app

#include "moc_main_window.cpp"
