// The Board Settings dialog: the port the board is on (COM1..COM8) and the link speed. It starts
// from the stored values; port 0 (none chosen yet) checks COM1.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

#include "i18n/messages.h"
#include "project/board_settings.h"

class QRadioButton;

namespace tovel::app {

class BoardSettingsDialog : public QDialog {
    Q_OBJECT

public:
    BoardSettingsDialog(QWidget* parent, std::int32_t comPort, std::int32_t baudIndex, Language language);

    // The values on OK: the checked port (the preset when none is), the checked speed.
    std::int32_t comPort() const;
    std::int32_t baudIndex() const;

    QRadioButton* portButton(int index) const { return ports_[static_cast<std::size_t>(index)]; }
    QRadioButton* speedButton(std::int32_t baudIndex) const {
        return speeds_[static_cast<std::size_t>(baudIndex)];
    }

private:
    std::int32_t presetPort_;
    std::array<QRadioButton*, kComPortCount> ports_{};
    std::array<QRadioButton*, 3> speeds_{}; // by BaudIndex
};

} // namespace tovel::app
