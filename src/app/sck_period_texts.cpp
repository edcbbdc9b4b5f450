// In a file of its own: board/link_parameters.h and project/project_settings.h both define
// kSckPeriodCount, so one translation unit cannot include both.
#include "app/sck_period_texts.h"

#include "board/link_parameters.h"

namespace tovel::app {

QStringList sckPeriodTexts() {
    QStringList texts;
    for (int index = 0; index < kSckPeriodCount; ++index) texts << QString::fromUtf8(sckPeriodText(index));
    return texts;
}

} // namespace tovel::app
