// The Load Address dialog of Load At: where the file's image goes in the buffer. The field starts
// with the buffer's size in hexadecimal, so by default the image is appended.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "i18n/messages.h"

class QLineEdit;
class QRadioButton;

namespace tovel::app {

class LoadAddressDialog : public QDialog {
    Q_OBJECT

public:
    LoadAddressDialog(QWidget* parent, std::int64_t preset, Language language);

    // The address typed, read in the radix checked (text that does not parse gives 0).
    std::int64_t address() const;
    QLineEdit* field() const { return field_; }
    QRadioButton* decimalButton() const { return decimal_; }

    // Shows the dialog; the address on OK, nothing on Cancel.
    static std::optional<std::int64_t> ask(QWidget* parent, std::int64_t preset, Language language);

private:
    QLineEdit* field_;
    QRadioButton* decimal_;
    QRadioButton* hexadecimal_;
};

} // namespace tovel::app
