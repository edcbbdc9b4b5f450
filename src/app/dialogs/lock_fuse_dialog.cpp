#include "app/dialogs/lock_fuse_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/message_box.h"
#include "app/dialogs/pressed_state_icon.h"
#include "devices/device_table.h"
#include "devices/fuse_safety_check.h"
#include "devices/lock_labels.h"
#include "i18n/ui_translation.h"

namespace tovel {

namespace {

constexpr FuseLayout kNoLockFuseBits{};

const FuseLayout& layoutOrNone(int deviceNo) {
    const FuseLayout* layout = layoutOf(deviceNo);
    return layout != nullptr ? *layout : kNoLockFuseBits;
}

SpiVariant spiVariantOf(int deviceNo) {
    return DeviceTable::isValidDeviceNo(deviceNo) ? DeviceTable::device(deviceNo).spiVariant
                                                  : SpiVariant::Avr;
}

QPushButton* plainButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    // Enter belongs to the dialog (it takes the values), never to the focused button.
    button->setAutoDefault(false);
    return button;
}

} // namespace

LockFuseDialog::LockFuseDialog(int deviceNo, const LockFuseSettings& shown, LockFuseOperations& operations,
                               const Messages& messages, Mode mode, QWidget* parent)
    : TranslatedDialog(ui::LockFuseBitsDialogId, messages, parent), deviceNo_(deviceNo),
      layout_(layoutOrNone(deviceNo)), operations_(operations), mode_(mode), shown_(shown) {
    buildLayout();
    retitle();
    control(mode_ == Mode::AutoProgram ? ChipEraseId : CloseAndSaveId)->setEnabled(false);
    setWindowTitle(text(mode_ == Mode::Normal ? msg::LockFuseBits : msg::LockFuseBitsForAutoProgram));
    fillBoxes();
}

void LockFuseDialog::buildLayout() {
    auto* lockGroup = addControl(LockGroupId, new QGroupBox(this));
    auto* lockLayout = new QVBoxLayout(lockGroup);
    lockRadioGroup_ = new QButtonGroup(this);
    for (int level = 0; level < kLockLevelCount; ++level) {
        auto* radio = addControl(kLockRadioIds[level], new QRadioButton(lockGroup));
        lockRadios_[level] = radio;
        lockRadioGroup_->addButton(radio, level);
        lockLayout->addWidget(radio);
    }

    auto* bootLockLabel = addControl(BootLockLabelId, new QLabel(this));
    auto* bootLockLayout = new QGridLayout;
    for (int k = 0; k < kMaxBootLockBits; ++k) {
        bootLockBoxes_[k] = addControl(kBootLockBoxIds[k], new QCheckBox(this));
        // Two columns: bits 0 and 1 on the left, 2 and 3 on the right.
        bootLockLayout->addWidget(bootLockBoxes_[k], k % 2, k / 2);
    }

    auto* fuseGroup = addControl(FuseGroupId, new QGroupBox(this));
    auto* fuseLayout = new QGridLayout(fuseGroup);
    for (int k = 0; k < kMaxFuseBits; ++k) {
        QPushButton* box = plainButton(fuseGroup);
        box->setCheckable(true); // pressed = programmed
        showPressedState(*box);
        box->setMinimumWidth(90);
        fuseBoxes_[k] = addControl(kFuseBoxIds[k], box);
        fuseLayout->addWidget(box, k % 8, k / 8);
    }
    auto* legend = addControl(LegendId, new QLabel(this));
    legend->setWordWrap(true);

    auto* programButton = addControl(ProgramId, plainButton(this));
    readButton_ = addControl(ReadId, plainButton(this));
    verifyButton_ = addControl(VerifyId, plainButton(this));
    auto* eraseButton = addControl(ChipEraseId, plainButton(this));
    auto* saveButton = addControl(CloseAndSaveId, plainButton(this));
    auto* closeButton = addControl(CloseWithoutSavingId, plainButton(this));
    connect(programButton, &QPushButton::clicked, this, &LockFuseDialog::program);
    connect(readButton_, &QPushButton::clicked, this, &LockFuseDialog::read);
    connect(verifyButton_, &QPushButton::clicked, this, &LockFuseDialog::verify);
    connect(eraseButton, &QPushButton::clicked, this, &LockFuseDialog::eraseAndRead);
    connect(saveButton, &QPushButton::clicked, this, &LockFuseDialog::closeAndSave);
    connect(closeButton, &QPushButton::clicked, this, &LockFuseDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(lockGroup);
    left->addWidget(bootLockLabel);
    left->addLayout(bootLockLayout);
    left->addStretch();

    auto* middle = new QVBoxLayout;
    middle->addWidget(fuseGroup);
    middle->addWidget(legend);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {programButton, readButton_, verifyButton_, eraseButton})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);

    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(middle, 1);
    top->addLayout(buttons);
}

void LockFuseDialog::fillBoxes() {
    const SpiVariant variant = spiVariantOf(deviceNo_);
    // An exclusive group cannot have every radio unchecked; lift it while refilling.
    lockRadioGroup_->setExclusive(false);
    for (int level = 0; level < kLockLevelCount; ++level) {
        lockRadios_[level]->setChecked(false);
        lockRadios_[level]->setText(text(lockLabel(variant, level)));
        lockRadios_[level]->setEnabled(level < selectableLockLevels(variant));
    }
    lockRadios_[normalizedLockMode(shown_.lockMode)]->setChecked(true);
    lockRadioGroup_->setExclusive(true);

    for (int k = 0; k < kMaxFuseBits; ++k) {
        QPushButton* box = fuseBoxes_[k];
        if (k < layout_.fuseCount) {
            box->setText(qText(layout_.fuseBits[k].name));
            box->setChecked(shown_.fuse[k] != 0);
            box->setEnabled(true);
        } else {
            box->setText(text(msg::Unused));
            box->setEnabled(false);
        }
    }
    for (int k = 0; k < kMaxBootLockBits; ++k) {
        QCheckBox* box = bootLockBoxes_[k];
        if (k < layout_.bootLockCount) {
            box->setText(qText(layout_.bootLockBits[k].name));
            box->setChecked(shown_.bootLock[k] != 0);
            box->setEnabled(true);
        } else {
            box->setText(text(msg::Unused));
            box->setEnabled(false);
        }
    }

    const bool readable = shown_.readable == 1;
    readButton_->setEnabled(readable);
    verifyButton_->setEnabled(readable);
}

bool LockFuseDialog::takeValues(bool withSafetyCheck) {
    LockFuseSettings taken = working_;
    for (int k = 0; k < kMaxFuseBits; ++k) taken.fuse[k] = fuseBoxes_[k]->isChecked() ? 1 : 0;
    if (const int checked = lockRadioGroup_->checkedId(); checked >= 0) taken.lockMode = checked;
    for (int k = 0; k < kMaxBootLockBits; ++k) taken.bootLock[k] = bootLockBoxes_[k]->isChecked() ? 1 : 0;

    if (withSafetyCheck) {
        if (const std::optional<std::string> warning = safetyWarning(layout_, taken, messages())) {
            if (!MessageBox::askYesNo(this, QMessageBox::Warning, text(msg::Warning), qText(*warning),
                                      QMessageBox::No))
                return false;
        }
    }
    working_ = taken;
    return true;
}

void LockFuseDialog::program() {
    if (!takeValues(true)) return;
    if (!operations_.programLockFuse(working_)) return;
    shown_ = working_;
    shown_.readable = 1;
    fillBoxes();
}

void LockFuseDialog::read() {
    if (!operations_.readLockFuse(working_)) return;
    shown_ = working_;
    fillBoxes();
}

void LockFuseDialog::verify() {
    takeValues(false);
    operations_.verifyLockFuse(working_);
}

void LockFuseDialog::eraseAndRead() {
    if (!operations_.chipErase()) return;
    if (!operations_.readLockFuse(working_)) return;
    shown_ = working_;
    fillBoxes();
}

void LockFuseDialog::closeAndSave() {
    if (takeValues(true)) done(CloseAndSave);
}

void LockFuseDialog::acceptValues() {
    if (!takeValues(true)) return;
    // In auto-program mode only "Close and save settings" keeps the values; Enter, having taken
    // them with the safety check, would otherwise drop what the person composed.
    if (mode_ == Mode::AutoProgram)
        done(CloseAndSave);
    else
        accept();
}

void LockFuseDialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            acceptValues();
            return;
        }
    }
    TranslatedDialog::keyPressEvent(event);
}

} // namespace tovel
