// The Board Settings dialog: the COM port of the board (COM1..COM8, each with the device path it
// stands for on this system) and the link speed.
//
// The main window reloads both from the settings file, opens the dialog and stores the result:
//     BoardSettingsDialog dialog(workbench.settingsFile().readComPort(),
//     workbench.settingsFile().readBaudIndex(),
//                                workbench.portMap(), workbench.messages(), this);
//     if (dialog.exec() == QDialog::Accepted) workbench.setPortAndSpeed(dialog.comPort(),
//     dialog.baudIndex());
#pragma once

#include <array>
#include <cstdint>

#include "app/dialogs/translated_dialog.h"
#include "board/port_map.h"
#include "i18n/control_ids.h"
#include "project/board_settings.h"

class QRadioButton;

namespace tovel {

class BoardSettingsDialog : public TranslatedDialog {
    Q_OBJECT

public:
    static constexpr const auto& kPortRadioIds = ui::boardSettingsDialog::kPortRadioIds;
    static_assert(kPortRadioIds.size() == kComPortCount);
    // The controls' resource ids, shared with the translation tables.
    using enum ui::boardSettingsDialog::Control;

    // `comPort` and `baudIndex` as stored; values the buttons cannot show leave them unchecked.
    BoardSettingsDialog(std::int32_t comPort, std::int32_t baudIndex, const PortMap& ports,
                        const Messages& messages, QWidget* parent = nullptr);

    // After OK: the checked port (the one given when none is checked) and speed (0 when no
    // speed button is checked).
    std::int32_t comPort() const { return comPort_; }
    std::int32_t baudIndex() const { return baudIndex_; }

    void accept() override;

private:
    std::array<QRadioButton*, kComPortCount> portRadios_{};
    QRadioButton* speed19200_ = nullptr;
    QRadioButton* speed115200_ = nullptr;
    QRadioButton* speed921600_ = nullptr;
    std::int32_t comPort_;
    std::int32_t baudIndex_;
};

} // namespace tovel
