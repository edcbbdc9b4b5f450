// The Lock/Fuse Bits dialog: shows and changes the lock level, fuse bits and boot lock bits of
// one device, and programs, reads, verifies or erases the chip through the operations the opener
// gives.
//
// Normal mode (the main window's "&Lock&&Fuse Bits..." after the chip was read):
//     LockFuseDialog dialog(deviceNo, readFromChip, operations, messages, LockFuseDialog::Mode::Normal,
//     this); dialog.exec(); // the result is not used
// Auto-program mode (from the Project Settings dialog): exec() returns CloseAndSave when the
// person accepted the values, which are then in working().
#pragma once

#include <array>

#include "app/dialogs/lock_fuse_operations.h"
#include "app/dialogs/translated_dialog.h"
#include "devices/fuse_layout.h"
#include "devices/lock_fuse_settings.h"
#include "i18n/control_ids.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QPushButton;
class QRadioButton;

namespace tovel {

class LockFuseDialog : public TranslatedDialog {
    Q_OBJECT

public:
    enum class Mode { Normal, AutoProgram };

    // The controls' resource ids, shared with the translation tables.
    using enum ui::lockFuseDialog::Control;
    static constexpr const auto& kLockRadioIds = ui::lockFuseDialog::kLockRadioIds;
    static constexpr const auto& kFuseBoxIds = ui::lockFuseDialog::kFuseBoxIds;
    static constexpr const auto& kBootLockBoxIds = ui::lockFuseDialog::kBootLockBoxIds;
    static_assert(kLockRadioIds.size() == kLockLevelCount && kFuseBoxIds.size() == kMaxFuseBits &&
                  kBootLockBoxIds.size() == kMaxBootLockBits);

    // exec() result of "Close and save settings".
    static constexpr int CloseAndSave = CloseAndSaveId;

    // `deviceNo` shapes the dialog (a row without lock/fuse bits shows every box "Unused");
    // `shown` fills the boxes. The operations must outlive the dialog.
    LockFuseDialog(int deviceNo, const LockFuseSettings& shown, LockFuseOperations& operations,
                   const Messages& messages, Mode mode, QWidget* parent = nullptr);

    // What the boxes were last filled from: changes after a successful program, read or erase.
    const LockFuseSettings& shown() const { return shown_; }
    // The values last taken from the boxes (or read from the chip).
    const LockFuseSettings& working() const { return working_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void fillBoxes();
    // Takes the boxes into working(). With the safety check the person may refuse, and then
    // nothing changes and false is returned.
    bool takeValues(bool withSafetyCheck);

    void program();
    void read();
    void verify();
    void eraseAndRead();
    void closeAndSave();
    void acceptValues();

    int deviceNo_;
    const FuseLayout& layout_;
    LockFuseOperations& operations_;
    Mode mode_;
    LockFuseSettings shown_;
    LockFuseSettings working_{};

    QButtonGroup* lockRadioGroup_ = nullptr;
    std::array<QRadioButton*, kLockLevelCount> lockRadios_{};
    std::array<QPushButton*, kMaxFuseBits> fuseBoxes_{};
    std::array<QCheckBox*, kMaxBootLockBits> bootLockBoxes_{};
    QPushButton* readButton_ = nullptr;
    QPushButton* verifyButton_ = nullptr;
};

} // namespace tovel
