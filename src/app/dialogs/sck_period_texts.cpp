#include "app/dialogs/sck_period_texts.h"

#include "board/link_parameters.h"
#include "i18n/desktop_texts.h"

namespace tovel {

QStringList sckPeriodTexts(Language language) {
    QStringList texts;
    for (int index = 0; index < kSckPeriodCount; ++index) {
        QString text = QString::fromUtf8(sckPeriodText(index));
        if (language != Language::English) {
            // The table's texts are English; the numbers stay, the units and the decimal point
            // follow the language.
            const auto unit = [language](ui::DesktopText id) {
                return QString::fromUtf8(ui::desktopText(id, language));
            };
            text.replace(QStringLiteral(" uS"), QLatin1Char(' ') + unit(ui::DesktopText::Microseconds))
                .replace(QStringLiteral(" MHz"), QLatin1Char(' ') + unit(ui::DesktopText::Megahertz))
                .replace(QStringLiteral(" kHz"), QLatin1Char(' ') + unit(ui::DesktopText::Kilohertz))
                .replace(QLatin1Char('.'), QLatin1Char(','));
        }
        texts.append(text);
    }
    return texts;
}

} // namespace tovel
