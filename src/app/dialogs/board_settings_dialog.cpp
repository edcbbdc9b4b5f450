#include "app/dialogs/board_settings_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "i18n/ui_translation.h"

namespace tovel {

BoardSettingsDialog::BoardSettingsDialog(std::int32_t comPort, std::int32_t baudIndex, const PortMap& ports,
                                         const Messages& messages, QWidget* parent)
    : TranslatedDialog(ui::BoardSettingsDialogId, messages, parent), comPort_(comPort),
      baudIndex_(baudIndex) {
    auto* portGroup = addControl(PortGroupId, new QGroupBox(this));
    auto* portLayout = new QVBoxLayout(portGroup);
    auto* portButtons = new QButtonGroup(this);
    for (int k = 0; k < kComPortCount; ++k) {
        const int port = k + 1;
        const QString caption =
            QStringLiteral("COM%1  (%2)").arg(port).arg(QString::fromStdString(ports.pathFor(port)));
        portRadios_[k] = addControl(kPortRadioIds[k], new QRadioButton(caption, portGroup));
        portButtons->addButton(portRadios_[k]);
        portLayout->addWidget(portRadios_[k]);
    }

    // The record retitles these "Low speed (19200 baud)" and so on.
    auto* speedGroup = addControl(SpeedGroupId, new QGroupBox(this));
    auto* speedLayout = new QVBoxLayout(speedGroup);
    auto* speedButtons = new QButtonGroup(this);
    speed19200_ = addControl(Speed19200Id, new QRadioButton(QStringLiteral("19200 baud"), speedGroup));
    speed115200_ = addControl(Speed115200Id, new QRadioButton(QStringLiteral("115200 baud"), speedGroup));
    speed921600_ =
        addControl(Speed921600Id, new QRadioButton(QStringLiteral("921600 baud (USB, Tovel-U)"), speedGroup));
    for (QRadioButton* radio : {speed19200_, speed115200_, speed921600_}) {
        speedButtons->addButton(radio);
        speedLayout->addWidget(radio);
    }
    speedLayout->addStretch();

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    auto* cancel = addControl(CancelId, new QPushButton(this));
    connect(ok, &QPushButton::clicked, this, &BoardSettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &BoardSettingsDialog::reject);

    auto* groups = new QHBoxLayout;
    groups->addWidget(portGroup);
    groups->addWidget(speedGroup);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(groups);
    top->addLayout(buttons);

    retitle();

    if (const std::optional<int> button = portButtonForPort(comPort)) portRadios_[*button]->setChecked(true);
    if (const std::optional<std::int32_t> speed = speedButtonForIndex(baudIndex)) {
        QRadioButton* const speedRadios[] = {speed19200_, speed115200_, speed921600_};
        speedRadios[*speed]->setChecked(true);
    }
}

void BoardSettingsDialog::accept() {
    std::array<bool, kComPortCount> checked{};
    for (int k = 0; k < kComPortCount; ++k) checked[k] = portRadios_[k]->isChecked();
    comPort_ = portFromButtons(checked, comPort_);
    baudIndex_ = speedFromButtons(
        {.checked115200 = speed115200_->isChecked(), .checked921600 = speed921600_->isChecked()});
    TranslatedDialog::accept();
}

} // namespace tovel
