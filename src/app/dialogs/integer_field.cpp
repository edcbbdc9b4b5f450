#include "app/dialogs/integer_field.h"

#include <QLineEdit>

#include "app/dialogs/message_box.h"

namespace tovel {

std::optional<int> parseIntegerText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        const bool sign = i == 0 && (c == u'+' || c == u'-');
        if (!sign && !(c >= u'0' && c <= u'9')) return std::nullopt;
    }
    bool ok = false;
    const int value = trimmed.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

QString integerRangeMessage(Language language, int min, int max) {
    const QString format = language == Language::English
                               ? QStringLiteral("Please enter an integer between %1 and %2.")
                               : QString::fromUtf8("Введите целое число от %1 до %2.");
    return format.arg(min).arg(max);
}

std::optional<int> validatedInteger(QLineEdit* field, int min, int max, const Messages& messages) {
    const std::optional<int> value = parseIntegerText(field->text());
    if (value && *value >= min && *value <= max) return value;
    MessageBox::show(field->window(), QMessageBox::Warning, qText(messages.text(msg::BoxCaption)),
                     integerRangeMessage(messages.language(), min, max));
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    return std::nullopt;
}

} // namespace tovel
