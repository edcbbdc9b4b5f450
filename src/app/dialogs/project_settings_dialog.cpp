#include "app/dialogs/project_settings_dialog.h"

#include <cstdio>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/dialogs/integer_field.h"
#include "app/dialogs/lock_fuse_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/reset_strobe_positions.h"
#include "app/dialogs/sck_period_texts.h"
#include "devices/device_table.h"
#include "devices/fuse_layout.h"
#include "devices/fuse_safety_check.h"
#include "i18n/desktop_texts.h"
#include "i18n/ui_translation.h"

namespace tovel {

namespace {

// Check box and project field, in the order the boxes are set on opening.
struct FlagBinding {
    unsigned id;
    bool ProjectSettings::*field;
};

constexpr FlagBinding kFlags[] = {
    {ProjectSettingsDialog::PollingId, &ProjectSettings::polling},
    {ProjectSettingsDialog::CheckSignatureId, &ProjectSettings::checkSignature},
    {ProjectSettingsDialog::AutoEraseId, &ProjectSettings::autoErase},
    {ProjectSettingsDialog::AutoBlankCheckId, &ProjectSettings::autoEmptyCheck},
    {ProjectSettingsDialog::IncrementEepromId, &ProjectSettings::autoIncrementEeprom},
    {ProjectSettingsDialog::IncrementFlashId, &ProjectSettings::autoIncrementFlash},
    {ProjectSettingsDialog::AutoFlashReloadId, &ProjectSettings::autoFlashReload},
    {ProjectSettingsDialog::AutoFlashProgramId, &ProjectSettings::autoFlashProgram},
    {ProjectSettingsDialog::AutoFlashVerifyId, &ProjectSettings::autoFlashVerify},
    {ProjectSettingsDialog::NoSynchronizationId, &ProjectSettings::noSynchronization},
    {ProjectSettingsDialog::AutoEepromReloadId, &ProjectSettings::autoEepromReload},
    {ProjectSettingsDialog::AutoEepromProgramId, &ProjectSettings::autoEepromProgram},
    {ProjectSettingsDialog::AutoEepromVerifyId, &ProjectSettings::autoEepromVerify},
    {ProjectSettingsDialog::FlashByteOverrideId, &ProjectSettings::flashByteDelayOverride},
    {ProjectSettingsDialog::FlashPageOverrideId, &ProjectSettings::flashPageDelayOverride},
    {ProjectSettingsDialog::EepromByteOverrideId, &ProjectSettings::eepromByteDelayOverride},
    {ProjectSettingsDialog::EepromPageOverrideId, &ProjectSettings::eepromPageDelayOverride},
    {ProjectSettingsDialog::ProgramFusesId, &ProjectSettings::programFuses},
    {ProjectSettingsDialog::WriteChangedOnlyId, &ProjectSettings::writeChangedOnly},
};

// An edit and the check box that enables it.
struct EnabledBy {
    unsigned edit;
    unsigned box;
};

constexpr EnabledBy kEnablingRules[] = {
    {ProjectSettingsDialog::FlashByteDelayId, ProjectSettingsDialog::FlashByteOverrideId},
    {ProjectSettingsDialog::FlashPageDelayId, ProjectSettingsDialog::FlashPageOverrideId},
    {ProjectSettingsDialog::EepromByteDelayId, ProjectSettingsDialog::EepromByteOverrideId},
    {ProjectSettingsDialog::EepromPageDelayId, ProjectSettingsDialog::EepromPageOverrideId},
    {ProjectSettingsDialog::ConfigureId, ProjectSettingsDialog::ProgramFusesId},
    {ProjectSettingsDialog::FlashCounterAddressId, ProjectSettingsDialog::IncrementFlashId},
    {ProjectSettingsDialog::EepromCounterAddressId, ProjectSettingsDialog::IncrementEepromId},
};

QString millisecondsUnit(Language language) {
    return QString::fromUtf8(ui::desktopText(ui::DesktopText::Milliseconds, language));
}

QString hexAddressText(std::uint32_t address) { return QString::number(address, 16).toUpper(); }

// The counter address as "%x" reads it; nothing when the text holds no hexadecimal number.
std::optional<std::uint32_t> parseHexAddress(const QString& text) {
    unsigned value = 0;
    if (std::sscanf(text.toLatin1().constData(), "%x", &value) != 1) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

} // namespace

ProjectSettingsDialog::ProjectSettingsDialog(ProjectSettings& project, LockFuseOperations& operations,
                                             const Messages& messages, QWidget* parent)
    : TranslatedDialog(ui::ProjectSettingsDialogId, messages, parent), project_(project),
      operations_(operations), result_(project) {
    buildLayout();
    retitle();
    // The fields beside their check boxes, and the slider in its group, are named by them.
    const std::pair<unsigned, unsigned> namedBy[] = {
        {FlashCounterAddressId, IncrementFlashId}, {EepromCounterAddressId, IncrementEepromId},
        {FlashByteDelayId, FlashByteOverrideId},   {FlashPageDelayId, FlashPageOverrideId},
        {EepromByteDelayId, EepromByteOverrideId}, {EepromPageDelayId, EepromPageOverrideId},
        {StrobeSliderId, StrobeGroupId},
    };
    for (const auto& [field, naming] : namedBy) nameFieldBy(field, naming);
    showProject();
}

QCheckBox* ProjectSettingsDialog::check(unsigned id) const { return controlAs<QCheckBox>(id); }
QLineEdit* ProjectSettingsDialog::edit(unsigned id) const { return controlAs<QLineEdit>(id); }

void ProjectSettingsDialog::buildLayout() {
    auto makeCheck = [this](unsigned id, QWidget* parent) { return addControl(id, new QCheckBox(parent)); };
    auto makeEdit = [this](unsigned id, QWidget* parent) { return addControl(id, new QLineEdit(parent)); };

    // Programming settings: device, polling, signature check, synchronisation.
    auto* programming = addControl(ProgrammingGroupId, new QGroupBox(this));
    auto* programmingLayout = new QGridLayout(programming);
    auto* deviceLabel = addControl(DeviceLabelId, new QLabel(programming));
    deviceList_ = addControl(DeviceListId, new QComboBox(programming));
    deviceLabel->setBuddy(deviceList_);
    programmingLayout->addWidget(deviceLabel, 0, 0);
    programmingLayout->addWidget(deviceList_, 0, 1);
    programmingLayout->addWidget(makeCheck(PollingId, programming), 1, 0, 1, 2);
    programmingLayout->addWidget(makeCheck(CheckSignatureId, programming), 2, 0, 1, 2);
    programmingLayout->addWidget(makeCheck(NoSynchronizationId, programming), 3, 0, 1, 2);
    programmingLayout->addWidget(makeCheck(WriteChangedOnlyId, programming), 4, 0, 1, 2);

    auto* sck = addControl(SckGroupId, new QGroupBox(this));
    auto* sckLayout = new QHBoxLayout(sck);
    auto* sckLabel = addControl(SckLabelId, new QLabel(sck));
    sckList_ = addControl(SckListId, new QComboBox(sck));
    sckLabel->setBuddy(sckList_);
    sckLayout->addWidget(sckLabel);
    sckLayout->addWidget(sckList_, 1);

    auto* strobe = addControl(StrobeGroupId, new QGroupBox(this));
    auto* strobeLayout = new QHBoxLayout(strobe);
    strobeSlider_ = addControl(StrobeSliderId, new QSlider(Qt::Horizontal, strobe));
    strobeSlider_->setTickPosition(QSlider::TicksBelow);
    strobeLabel_ = addControl(StrobeLabelId, new QLabel(strobe));
    strobeLabel_->setMinimumWidth(strobeLabel_->fontMetrics().horizontalAdvance(
        QStringLiteral("0000 ") + millisecondsUnit(messages().language())));
    strobeLayout->addWidget(strobeSlider_, 1);
    strobeLayout->addWidget(strobeLabel_);

    // Auto-program steps.
    auto* autoProgram = addControl(AutoProgramGroupId, new QGroupBox(this));
    auto* autoProgramLayout = new QGridLayout(autoProgram);
    auto stepGroup = [&](unsigned groupId, std::initializer_list<unsigned> boxes, int row, int column) {
        auto* group = addControl(groupId, new QGroupBox(autoProgram));
        auto* layout = new QVBoxLayout(group);
        for (unsigned id : boxes) layout->addWidget(makeCheck(id, group));
        layout->addStretch();
        autoProgramLayout->addWidget(group, row, column);
        return layout;
    };
    stepGroup(GeneralGroupId, {AutoEraseId, AutoBlankCheckId}, 0, 0);
    stepGroup(FlashGroupId, {AutoFlashReloadId, AutoFlashProgramId, AutoFlashVerifyId}, 0, 1);
    stepGroup(EepromGroupId, {AutoEepromReloadId, AutoEepromProgramId, AutoEepromVerifyId}, 1, 1);
    QVBoxLayout* lockFuseLayout = stepGroup(LockFuseGroupId, {ProgramFusesId}, 1, 0);
    auto* configure = addControl(ConfigureId, new QPushButton(autoProgram));
    configure->setAutoDefault(false);
    lockFuseLayout->insertWidget(1, configure);

    // Serial-number counters.
    auto* increment = addControl(AutoIncrementGroupId, new QGroupBox(this));
    auto* incrementLayout = new QGridLayout(increment);
    auto* incrementFlash = makeCheck(IncrementFlashId, increment);
    incrementFlash->setText(QStringLiteral("Flash (HEX)"));
    auto* incrementEeprom = makeCheck(IncrementEepromId, increment);
    incrementEeprom->setText(QStringLiteral("Eeprom (HEX)"));
    for (unsigned id : {FlashCounterAddressId, EepromCounterAddressId})
        makeEdit(id, increment)->setMaxLength(kCounterAddressLength);
    incrementLayout->addWidget(incrementFlash, 0, 0);
    incrementLayout->addWidget(edit(FlashCounterAddressId), 0, 1);
    incrementLayout->addWidget(incrementEeprom, 1, 0);
    incrementLayout->addWidget(edit(EepromCounterAddressId), 1, 1);

    // Write-delay overrides.
    auto* delays = addControl(DelaysGroupId, new QGroupBox(this));
    auto* delaysLayout = new QGridLayout(delays);
    const std::array<EnabledBy, 4> delayFields{{{FlashByteDelayId, FlashByteOverrideId},
                                                {FlashPageDelayId, FlashPageOverrideId},
                                                {EepromByteDelayId, EepromByteOverrideId},
                                                {EepromPageDelayId, EepromPageOverrideId}}};
    int row = 0;
    for (const EnabledBy& field : delayFields) {
        delaysLayout->addWidget(makeCheck(field.box, delays), row, 0);
        QLineEdit* delay = makeEdit(field.edit, delays);
        delay->setMaxLength(6);
        delaysLayout->addWidget(delay, row, 1);
        delaysLayout->addWidget(new QLabel(millisecondsUnit(messages().language()), delays), row, 2);
        ++row;
    }

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    auto* cancel = addControl(CancelId, new QPushButton(this));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &ProjectSettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ProjectSettingsDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(programming);
    left->addWidget(sck);
    left->addWidget(strobe);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(autoProgram);
    right->addWidget(increment);
    right->addWidget(delays);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns);
    top->addLayout(buttons);

    for (const EnabledBy& rule : kEnablingRules) {
        if (rule.box == ProgramFusesId) continue; // its click also opens the lock/fuse dialog
        connect(check(rule.box), &QCheckBox::clicked, this, &ProjectSettingsDialog::applyEnablingRules);
    }
    connect(check(ProgramFusesId), &QCheckBox::clicked, this, &ProjectSettingsDialog::programFusesClicked);
    connect(configure, &QPushButton::clicked, this, [this] { configureLockFuse(); });
    connect(deviceList_, &QComboBox::currentIndexChanged, this, &ProjectSettingsDialog::applyEnablingRules);
    connect(strobeSlider_, &QSlider::valueChanged, this, &ProjectSettingsDialog::showStrobeLength);
}

void ProjectSettingsDialog::showProject() {
    lockFuse_ = project_.lockFuseSelection;
    for (const FlagBinding& flag : kFlags) check(flag.id)->setChecked(project_.*flag.field);

    edit(FlashCounterAddressId)->setText(hexAddressText(project_.autoIncAddressFlash));
    edit(EepromCounterAddressId)->setText(hexAddressText(project_.autoIncAddressEeprom));

    // The slider knows seven lengths only; a stored length off the scale moves onto it for good.
    project_.resetStrobeMs = normalizedResetStrobe(project_.resetStrobeMs);
    result_.resetStrobeMs = project_.resetStrobeMs;
    edit(FlashByteDelayId)->setText(QString::number(project_.flashByteDelayMs));
    edit(FlashPageDelayId)->setText(QString::number(project_.flashPageDelayMs));
    edit(EepromByteDelayId)->setText(QString::number(project_.eepromByteDelayMs));
    edit(EepromPageDelayId)->setText(QString::number(project_.eepromPageDelayMs));

    strobeSlider_->setRange(0, kLastResetStrobePosition);
    strobeSlider_->setSingleStep(1);
    strobeSlider_->setPageStep(3);
    strobeSlider_->setValue(resetStrobePosition(project_.resetStrobeMs));
    showStrobeLength(strobeSlider_->value());

    {
        const QSignalBlocker blocker(deviceList_);
        for (int row = 0; row < DeviceTable::deviceCount(); ++row)
            deviceList_->addItem(qText(DeviceTable::device(row).name));
        deviceList_->setCurrentIndex(DeviceTable::isValidDeviceNo(project_.deviceIndex) ? project_.deviceIndex
                                                                                        : -1);
    }
    sckList_->addItems(sckPeriodTexts(messages().language()));
    sckList_->setCurrentIndex(project_.sckPeriodIndex >= 0 && project_.sckPeriodIndex < sckList_->count()
                                  ? project_.sckPeriodIndex
                                  : -1);
    applyEnablingRules();
}

void ProjectSettingsDialog::applyEnablingRules() {
    for (const EnabledBy& rule : kEnablingRules) control(rule.edit)->setEnabled(check(rule.box)->isChecked());
}

void ProjectSettingsDialog::showStrobeLength(int position) {
    strobeLabel_->setText(QStringLiteral("%1 ").arg(resetStrobeLength(position)) +
                          millisecondsUnit(messages().language()));
}

void ProjectSettingsDialog::programFusesClicked(bool checked) {
    applyEnablingRules();
    if (checked && !configureLockFuse()) {
        check(ProgramFusesId)->setChecked(false);
        applyEnablingRules();
    }
}

bool ProjectSettingsDialog::configureLockFuse() {
    // Fuse bits chosen for one chip can lock out another: only the project's own chip may be set up.
    if (deviceList_->currentIndex() != project_.deviceIndex) {
        MessageBox::information(this, messages(), text(msg::SelectProperChipFirst));
        return false;
    }
    const int deviceNo = project_.deviceIndex;
    const FuseLayout* layout = layoutOf(deviceNo);
    if (layout != nullptr) lockFuse_ = applyRequiredStates(*layout, lockFuse_);
    const std::uint8_t readable = layout != nullptr && layout->hasLockRead() ? 1 : 0;
    project_.lockFuseSelection.readable = readable;
    lockFuse_.readable = readable;

    LockFuseDialog dialog(deviceNo, lockFuse_, operations_, messages(), LockFuseDialog::Mode::AutoProgram,
                          this);
    if (dialog.exec() != LockFuseDialog::CloseAndSave) return false;
    lockFuse_ = dialog.working();
    return true;
}

bool ProjectSettingsDialog::readDelay(QCheckBox* override, QLineEdit* field, DelayRange range,
                                      std::int32_t& value) {
    // A field whose override is off cannot be edited, so its stored value stays as it is even when
    // a project file put it outside the range; refusing it would keep the dialog from closing.
    if (!override->isChecked()) return true;
    const std::optional<int> entered = validatedInteger(field, range.min, range.max, messages());
    if (!entered) return false;
    value = *entered;
    return true;
}

void ProjectSettingsDialog::accept() {
    ProjectSettings next = project_;
    auto flashByteDelay = static_cast<std::int32_t>(next.flashByteDelayMs);
    auto eepromByteDelay = static_cast<std::int32_t>(next.eepromByteDelayMs);
    if (!readDelay(check(FlashByteOverrideId), edit(FlashByteDelayId), kByteDelayRange, flashByteDelay) ||
        !readDelay(check(EepromByteOverrideId), edit(EepromByteDelayId), kByteDelayRange, eepromByteDelay) ||
        !readDelay(check(FlashPageOverrideId), edit(FlashPageDelayId), kFlashPageDelayRange,
                   next.flashPageDelayMs) ||
        !readDelay(check(EepromPageOverrideId), edit(EepromPageDelayId), kEepromPageDelayRange,
                   next.eepromPageDelayMs))
        return;
    next.flashByteDelayMs = static_cast<std::uint32_t>(flashByteDelay);
    next.eepromByteDelayMs = static_cast<std::uint32_t>(eepromByteDelay);

    if (deviceList_->currentIndex() >= 0) next.deviceIndex = deviceList_->currentIndex();
    if (const auto address = parseHexAddress(edit(EepromCounterAddressId)->text()))
        next.autoIncAddressEeprom = *address;
    if (const auto address = parseHexAddress(edit(FlashCounterAddressId)->text()))
        next.autoIncAddressFlash = *address;

    for (const FlagBinding& flag : kFlags) next.*flag.field = check(flag.id)->isChecked();
    next.resetStrobeMs = resetStrobeLength(strobeSlider_->value());
    // Unchecking "Autoprogram" discards the stored lock level and fuse choices.
    next.lockFuseSelection = next.programFuses ? lockFuse_ : LockFuseSettings{};
    if (sckList_->currentIndex() >= 0) next.sckPeriodIndex = sckList_->currentIndex();

    result_ = next;
    TranslatedDialog::accept();
}

} // namespace tovel
