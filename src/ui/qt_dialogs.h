#pragma once
// The core's message boxes and folder chooser as Qt shows them: no icon, CR line breaks made
// visible, Yes/No questions, and non-blocking notices that leave the timer running.

#include "core/common/dialogs.h"

#include <QMessageBox>
#include <QPointer>

namespace ui {

class QtDialogs final : public core::Dialogs {
public:
    // Notices become windows of owner (the main window), which closes them when it closes.
    void attach(QWidget* owner) { m_owner = owner; }

    void message(const std::string& title, const std::string& text) override;
    bool ask(const std::string& title, const std::string& text) override;
    void notify(const std::string& title, const std::string& text) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startFolder,
                                            const std::string& instruction) override;

private:
    QPointer<QWidget> m_owner;
    QPointer<QMessageBox> m_notice;
};

} // namespace ui
