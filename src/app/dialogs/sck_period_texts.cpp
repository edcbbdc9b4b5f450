#include "app/dialogs/sck_period_texts.h"

#include "board/link_parameters.h"

namespace tovel {

QStringList sckPeriodTexts() {
    QStringList texts;
    for (int index = 0; index < kSckPeriodCount; ++index)
        texts.append(QString::fromUtf8(sckPeriodText(index)));
    return texts;
}

} // namespace tovel
