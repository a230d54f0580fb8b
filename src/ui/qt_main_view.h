#pragma once

#include "core/common/main_view.h"

#include <QPointer>
#include <QWidget>

namespace ui {

// The main window as the core sees it. Attached once the window exists; before that, and after
// the window is gone, titles go nowhere.
class QtMainView final : public core::MainView {
public:
    void attach(QWidget* window) { m_window = window; }
    void setTitle(const std::string& title) override;
    void processPendingEvents() override;

private:
    QPointer<QWidget> m_window;
};

} // namespace ui
