#pragma once
// frmHelp: one help page under a title strip; modeless, deleted when closed.

#include "core/app_state.h"

#include <QDialog>

class QLabel;
class QTextBrowser;

namespace ui {

class HelpWindow final : public QDialog {
    Q_OBJECT
public:
    // state must outlive the window; the page comes from state.HelpPage at each Form_Load.
    explicit HelpWindow(const core::AppState& state, QWidget* parent = nullptr);

    // Shows the page HelpPage names; for a number outside 0..7, the first title and no page.
    void Form_Load();

private:
    const core::AppState& m_state;
    QLabel* m_title;
    QTextBrowser* m_browser;
};

} // namespace ui
