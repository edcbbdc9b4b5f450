// One row of the message catalogue: an id and its text in each language (UTF-8).
#pragma once

#include <cstddef>

#include "i18n/diagnosis_message_ids.h"
#include "i18n/message_ids.h"

namespace tovel {

struct MessageRow {
    unsigned id;
    const char* english;
    const char* russian;
};

extern const MessageRow kMessageRows[];
extern const std::size_t kMessageRowCount;
// The rows that name the causes of connection failures (diagnosis_message_ids.h).
extern const MessageRow kDiagnosisMessageRows[];
extern const std::size_t kDiagnosisMessageRowCount;

} // namespace tovel
