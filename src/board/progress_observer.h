// What a front end shows while an operation runs: the progress window's title, its one-line text,
// the percent label, the bar and the Cancel button. The runner calls these on the worker thread,
// in the order the worker reports; an implementation must have applied each update before it
// returns (a desktop window hands it to its own thread and waits), so updates appear in call order.
#pragma once

#include <string>

namespace tovel {

class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setPercentText(const std::string& text) = 0;
    virtual void setBar(int percent) = 0; // 0..100
    virtual void setCancelVisible(bool visible) = 0;
};

} // namespace tovel
