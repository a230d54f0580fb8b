#pragma once

#include <string>

namespace core {

// What the core may do to the main window: its title carries the clock and "復元中".
class MainView {
public:
    virtual ~MainView() = default;
    virtual void setTitle(const std::string& title) = 0;
    // Lets pending window events run once, so a new title is painted before long work.
    virtual void processPendingEvents() = 0;
};

} // namespace core
