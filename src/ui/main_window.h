#pragma once
// frmMain: the narrow strip with the clock in its title, the menu bar that opens every other
// window, and Timer1, whose tick drives the clock and the scheduled backups.

#include "base/status.h"
#include "core/app_state.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QTimer;

namespace ui {

class FindWindow;
class HelpWindow;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kCreationTitle = "つむぎ君:  23:59:59";

    // state and services must outlive the window.
    MainWindow(core::AppState& state, core::Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Places the window and runs the start-up sequence, then starts Timer1; an error means the
    // program must end, and the timer stays stopped.
    base::Status Form_Load();

public slots:
    void menuSetup_Click();
    void submenu_Dayback_Click();
    void submenu_Nowback_Click();
    void submenuReturn_Click(int index);
    void submenuFind_Click();
    void submenu_Version_Click();
    void submenu_Help_Click(int index);
    void menuLZH_Click();
    void Timer1_Timer();

protected:
    void showEvent(QShowEvent* event) override;
    // Closing the main window ends the schedule and closes its notices, even while the help
    // window stays open.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void placeWindow();
    // Runs a backup (or a tick that may run one) and tells the open find window which slots it
    // wrote, read from the stamps it changed.
    template <typename Backup> void backUpWatchingSlots(Backup backup);

    core::AppState& m_state;
    core::Services& m_services;
    QTimer* m_timer;
    QPointer<HelpWindow> m_help;
    QPointer<FindWindow> m_find;
    std::unique_ptr<QWidget> m_modal; // the modal window open now, rebuilt at every opening
};

} // namespace ui
