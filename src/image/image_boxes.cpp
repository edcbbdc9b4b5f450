#include "image/image_boxes.h"

namespace tovel {

void showImageError(UserInterface& ui, const Messages& messages, const std::string& text) {
    ui.showBox(messages.text(msg::BoxCaption), text, BoxIcon::Error);
}

bool askImageQuestion(UserInterface& ui, const Messages& messages, const std::string& text) {
    Question question;
    question.caption = messages.text(msg::BoxCaption);
    question.text = text;
    question.buttons = Buttons::YesNo;
    question.icon = BoxIcon::Question;
    return ui.ask(question) == Answer::Yes;
}

} // namespace tovel
