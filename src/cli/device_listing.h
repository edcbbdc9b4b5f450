// `devices`: the chip catalogue, one chip a line (number, name, family, sizes, signature).
#pragma once

#include "cli/reporter.h"
#include "i18n/messages.h"

namespace tovel::cli {

void listDevices(Reporter& reporter, Language language);

} // namespace tovel::cli
