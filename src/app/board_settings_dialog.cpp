#include "app/board_settings_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/window_translation.h"
#include "i18n/ui_translation.h"

namespace tovel::app {

namespace {

constexpr std::array<unsigned, kComPortCount> kPortIds = {1056, 1057, 1058, 1059, 1149, 1150, 1151, 1152};
constexpr std::array<unsigned, 3> kSpeedIds = {1055, 1054, 1060}; // by BaudIndex
constexpr std::array<const char*, 3> kSpeedTexts = {"19200 baud", "115200 baud",
                                                    "921600 baud (USB, Tovel-U)"};

} // namespace

BoardSettingsDialog::BoardSettingsDialog(QWidget* parent, std::int32_t comPort, std::int32_t baudIndex,
                                         Language language)
    : QDialog(parent), presetPort_(comPort) {
    setWindowTitle(QStringLiteral("Board Settings"));
    auto* portGroup = new QGroupBox(QStringLiteral("Communication port"), this);
    setControlId(portGroup, 1113);
    auto* portGrid = new QGridLayout(portGroup);
    auto* portButtons = new QButtonGroup(this);
    for (int i = 0; i < kComPortCount; ++i) {
        auto* button = new QRadioButton(QStringLiteral("COM%1").arg(i + 1), portGroup);
        setControlId(button, kPortIds[static_cast<std::size_t>(i)]);
        portButtons->addButton(button, i);
        portGrid->addWidget(button, i % 4, i / 4);
        ports_[static_cast<std::size_t>(i)] = button;
    }
    if (const std::optional<int> checked = portButtonForPort(comPort))
        ports_[static_cast<std::size_t>(*checked)]->setChecked(true);

    auto* speedGroup = new QGroupBox(QStringLiteral("Baud rate"), this);
    setControlId(speedGroup, 1114);
    auto* speedColumn = new QVBoxLayout(speedGroup);
    auto* speedButtons = new QButtonGroup(this);
    for (std::size_t i = 0; i < speeds_.size(); ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(kSpeedTexts[i]), speedGroup);
        setControlId(button, kSpeedIds[i]);
        speedButtons->addButton(button, static_cast<int>(i));
        speedColumn->addWidget(button);
        speeds_[i] = button;
    }
    speedColumn->addStretch();
    if (const std::optional<std::int32_t> checked = speedButtonForIndex(baudIndex))
        speeds_[static_cast<std::size_t>(*checked)]->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    setControlId(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* groups = new QHBoxLayout;
    groups->addWidget(portGroup);
    groups->addWidget(speedGroup);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    translateWindow(*this, ui::BoardSettingsDialogId, language);
}

std::int32_t BoardSettingsDialog::comPort() const {
    std::array<bool, kComPortCount> checked{};
    for (std::size_t i = 0; i < ports_.size(); ++i) checked[i] = ports_[i]->isChecked();
    return portFromButtons(checked, presetPort_);
}

std::int32_t BoardSettingsDialog::baudIndex() const {
    return speedFromButtons(speeds_[Baud115200]->isChecked(), speeds_[Baud921600]->isChecked());
}

} // namespace tovel::app

#include "moc_board_settings_dialog.cpp"
