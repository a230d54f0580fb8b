#include "ui/main_window.h"

#include "core/backup/backup_operations.h"
#include "core/schedule/timer_tick.h"
#include "core/shell/extraction_test.h"
#include "core/startup/startup.h"
#include "ui/find/find_window.h"
#include "ui/help_window.h"
#include "ui/program_icon.h"
#include "ui/restore/restore_window.h"
#include "ui/setup_dialog.h"
#include "ui/twips.h"
#include "ui/version_box.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

namespace ui {

namespace {

constexpr int kLeft = 100;
constexpr int kTop = 100;
constexpr int kOuterWidth = 2985;
constexpr int kOuterHeight = 630;
constexpr int kTickMs = 1000;

constexpr const char* kHelpCaptions[] = {
    "設定",
    "本日のバック",
    "現状をバック",
    "バックアップのタイミング",
    "時刻指定で復元（上書き）",
    "日付指定で復元（上書き）",
    "フォルダを指定してコピー",
    "ファイルを探して復元",
};

QAction* addItem(QWidget* menu, const char* name, const char* caption)
{
    auto* action = new QAction(QString::fromUtf8(caption), menu);
    action->setObjectName(QString::fromUtf8(name));
    menu->addAction(action);
    return action;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    return menu;
}

} // namespace

MainWindow::MainWindow(core::AppState& state, core::Services& services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_services(services), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kCreationTitle));
    setWindowIcon(programIcon());
    buildMenus();

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
}

MainWindow::~MainWindow()
{
    // The help and find windows may outlive nothing of ours: they read the state we were given.
    delete m_help.data();
    delete m_find.data();
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    connect(addItem(bar, "menuSetup", "設定"), &QAction::triggered, this, &MainWindow::menuSetup_Click);

    QMenu* backup = addMenu(bar, "menuBackup", "バックアップ");
    connect(addItem(backup, "submenu_Dayback", "本日のバック"), &QAction::triggered, this,
            &MainWindow::submenu_Dayback_Click);
    connect(addItem(backup, "submenu_Nowback", "現状をバック"), &QAction::triggered, this,
            &MainWindow::submenu_Nowback_Click);
    QMenu* restore = backup->addMenu(QStringLiteral("つむぎ"));
    restore->setObjectName(QStringLiteral("submenuRet"));
    restore->menuAction()->setObjectName(QStringLiteral("submenuRet"));
    connect(addItem(restore, "submenuReturn_0", "日付指定"), &QAction::triggered, this,
            [this] { submenuReturn_Click(0); });
    connect(addItem(restore, "submenuReturn_1", "時刻指定"), &QAction::triggered, this,
            [this] { submenuReturn_Click(1); });
    connect(addItem(backup, "submenuFind", "ファイルを探して復元"), &QAction::triggered, this,
            &MainWindow::submenuFind_Click);

    QMenu* help = addMenu(bar, "menuHelp", "ヘルプ");
    connect(addItem(help, "submenu_Version", "Version"), &QAction::triggered, this, &MainWindow::submenu_Version_Click);
    for (int page = 0; page < int(std::size(kHelpCaptions)); ++page) {
        const std::string name = "submenu_Help_" + std::to_string(page);
        connect(addItem(help, name.c_str(), kHelpCaptions[page]), &QAction::triggered, this,
                [this, page] { submenu_Help_Click(page); });
    }

    // The archiver's extraction test stays reachable for the developer only.
    QAction* debug = addItem(bar, "menuLZH", "debug");
    debug->setVisible(false);
    connect(debug, &QAction::triggered, this, &MainWindow::menuLZH_Click);
}

void MainWindow::placeWindow()
{
    const QRect outer = twipsRect(this, kLeft, kTop, kOuterWidth, kOuterHeight);
    // The frame's sides are known only once the window system has decorated the window.
    const int sides = isVisible() ? frameGeometry().width() - geometry().width() : 0;
    // The client area is the menu bar alone, as tall as its font needs; the frame adds the title
    // bar. (The fixed outer height assumed one size of both, and left a strip or cut the menus.)
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(1, menuHeight);
    move(outer.topLeft());
    resize(std::max(1, outer.width() - sides), menuHeight);
}

base::Status MainWindow::Form_Load()
{
    placeWindow();
    base::Status started =
        core::runStartup(m_state, m_services, [this] { core::runStartupBackup(m_state, m_services); });
    // Not before: a tick inside a start-up message box would back up with a record that LoadSetup
    // is about to replace by the defaults, and its slot stamp would be lost.
    if (started.ok())
        m_timer->start();
    return started;
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        QTimer::singleShot(0, this, &MainWindow::placeWindow);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_timer->stop();
    // Windows we own (the scheduled-backup notice) go with us; the help window is nobody's.
    for (QWidget* owned : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (owned->isWindow())
            owned->close();
    QMainWindow::closeEvent(event);
}

template <typename Backup> void MainWindow::backUpWatchingSlots(Backup backup)
{
    const core::SetupRecord before = m_state.setup;
    backup();
    if (m_find)
        m_find->slotsWritten(before);
}

void MainWindow::Timer1_Timer()
{
    backUpWatchingSlots([this] { core::runTick(m_state, m_services); });
}

void MainWindow::menuSetup_Click()
{
    auto* dialog = new SetupDialog(m_state, m_services, this);
    m_modal.reset(dialog);
    dialog->exec();
    m_modal.reset();
}

void MainWindow::submenu_Dayback_Click()
{
    backUpWatchingSlots([this] { core::backUpToday(m_state, m_services); });
}

void MainWindow::submenu_Nowback_Click()
{
    backUpWatchingSlots([this] { core::backUpCurrentState(m_state, m_services); });
}

void MainWindow::submenuReturn_Click(int index)
{
    // The restore window reads ReturnMode while it loads.
    m_state.ReturnMode = static_cast<std::int16_t>(index);
    auto* window = new RestoreWindow(m_state, m_services, this);
    window->setWindowIcon(programIcon());
    m_modal.reset(window);
    window->exec();
    m_modal.reset();
}

// Modeless, like the help window: the menus stay usable, so a backup can be taken while it is open.
void MainWindow::submenuFind_Click()
{
    if (!m_find) {
        m_find = new FindWindow(m_state, m_services, this);
        m_find->setWindowIcon(programIcon());
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void MainWindow::submenu_Version_Click()
{
    auto* box = new VersionBox(this);
    m_modal.reset(box);
    box->exec();
    m_modal.reset();
}

void MainWindow::submenu_Help_Click(int index)
{
    // The help window reads HelpPage while it loads.
    m_state.HelpPage = static_cast<std::int16_t>(index);
    if (!m_help)
        m_help = new HelpWindow(m_state, this);
    // An open window turns to the page just chosen as well.
    m_help->Form_Load();
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainWindow::menuLZH_Click()
{
    core::runExtractionTest(m_state, m_services);
}

} // namespace ui

// Each window's meta-object code lives with it, so a program links only the windows it uses.
#include "moc_main_window.cpp"
