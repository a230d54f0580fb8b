#pragma once
// The core's message boxes and folder chooser as Qt shows them: no icon, CR line breaks made
// visible, Yes/No questions, and non-blocking notices that leave the timer running.

#include "core/common/dialogs.h"

namespace ui {

class QtDialogs final : public core::Dialogs {
public:
    void message(const std::string& title, const std::string& text) override;
    bool ask(const std::string& title, const std::string& text) override;
    void notify(const std::string& title, const std::string& text) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startFolder,
                                            const std::string& instruction) override;
};

} // namespace ui
