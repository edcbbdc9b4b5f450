// Number fields of the dialogs: the text must be a whole decimal number within a range. A value
// that is not, is refused with the validation message that names the range, and the field is
// selected so the person can correct it.
#pragma once

#include <optional>

#include <QString>

#include "i18n/messages.h"

class QLineEdit;

namespace tovel {

// Blanks around, an optional sign, then decimal digits and nothing else; nothing otherwise (or
// when the number does not fit an int).
std::optional<int> parseIntegerText(const QString& text);

// The validation message for a range, in `language`. The catalogue has no such text: it is the
// message a dialog framework shows for its own range check.
QString integerRangeMessage(Language language, int min, int max);

// The field's value when it is an integer within min..max. Otherwise shows the validation message
// (captioned with the program's box caption), selects the field and gives nothing.
std::optional<int> validatedInteger(QLineEdit* field, int min, int max, const Messages& messages);

} // namespace tovel
