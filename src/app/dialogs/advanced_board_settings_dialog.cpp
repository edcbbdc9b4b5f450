#include "app/dialogs/advanced_board_settings_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/integer_field.h"
#include "i18n/ui_translation.h"

namespace tovel {

namespace {

// The dialog has no translation record: its boxes are English too.
const Messages kEnglish{Language::English};

struct DelayField {
    unsigned id;
    const char* label;
    std::int32_t BoardDelays::*value;
};

constexpr std::array<DelayField, 4> kFields{{
    {AdvancedBoardSettingsDialog::PreReadDelayId, "Pre-read delay", &BoardDelays::preReadDelayMs},
    {AdvancedBoardSettingsDialog::PageReadDelayId, "Page read delay", &BoardDelays::pageReadDelayMs},
    {AdvancedBoardSettingsDialog::PageWriteDelayId, "Page write delay", &BoardDelays::pageWriteDelayMs},
    {AdvancedBoardSettingsDialog::PostSendDelayId, "Post-send delay", &BoardDelays::postSendDelayMs},
}};

} // namespace

AdvancedBoardSettingsDialog::AdvancedBoardSettingsDialog(const BoardDelays& delays, QWidget* parent)
    : TranslatedDialog(ui::AdvancedBoardSettingsDialogId, kEnglish, parent), delays_(delays) {
    setWindowTitle(QStringLiteral("Advanced Board Settings"));
    auto* warning = new QLabel(QStringLiteral("WARNING: This window is provided to be used by advanced "
                                              "users/programmers only. Changing this delays to large values "
                                              "may degrade perfomance."),
                               this);
    warning->setWordWrap(true);

    auto* grid = new QGridLayout;
    for (std::size_t k = 0; k < kFields.size(); ++k) {
        const DelayField& field = kFields[k];
        fields_[k] = addControl(field.id, new QLineEdit(QString::number(delays.*field.value), this));
        fields_[k]->setMaxLength(6);
        auto* label = new QLabel(QString::fromUtf8(field.label), this);
        label->setBuddy(fields_[k]);
        const int row = static_cast<int>(k);
        grid->addWidget(label, row, 0);
        grid->addWidget(fields_[k], row, 1);
        grid->addWidget(new QLabel(QStringLiteral("ms"), this), row, 2);
    }

    auto* ok = addControl(OkId, new QPushButton(QStringLiteral("OK"), this));
    ok->setDefault(true);
    auto* cancel = addControl(CancelId, new QPushButton(QStringLiteral("Cancel"), this));
    connect(ok, &QPushButton::clicked, this, &AdvancedBoardSettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &AdvancedBoardSettingsDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* top = new QVBoxLayout(this);
    top->addWidget(warning);
    top->addLayout(grid);
    top->addLayout(buttons);
    retitle(); // no record: the layout texts stay
}

void AdvancedBoardSettingsDialog::accept() {
    BoardDelays entered = delays_;
    for (std::size_t k = 0; k < kFields.size(); ++k) {
        const std::optional<int> value = validatedInteger(fields_[k], 0, kMaxBoardDelayMs, messages());
        if (!value) return;
        entered.*kFields[k].value = *value;
    }
    delays_ = entered;
    TranslatedDialog::accept();
}

} // namespace tovel
