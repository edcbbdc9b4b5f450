// The message boxes of the buffer commands and the image files: the program title as caption,
// the error icon for errors, the question icon with Yes and No for questions.
#pragma once

#include <string>

#include "core/user_interface.h"
#include "i18n/messages.h"

namespace tovel {

void showImageError(UserInterface& ui, const Messages& messages, const std::string& text);

// True when the person answers Yes.
bool askImageQuestion(UserInterface& ui, const Messages& messages, const std::string& text);

} // namespace tovel
