#include "core/archive/unlha.h"
#include "core/settings/setup_file.h"
#include "core/shell/extraction_test.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/twips.h"
#include "window_helpers.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using fernhold::test::child;
using fernhold::test::whenModalOpens;

QStringList captions(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        if (action->isVisible())
            texts << action->text();
    return texts;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        m_state.programFolder = m_program.path();
        m_fakes.clock.set(2026, 12, 6, 10, 0, 30);
    }

    std::unique_ptr<ui::MainWindow> open(core::Services& services)
    {
        auto window = std::make_unique<ui::MainWindow>(m_state, services);
        EXPECT_TRUE(window->Form_Load().ok());
        window->show();
        return window;
    }
    std::unique_ptr<ui::MainWindow> open() { return open(m_fakes.services); }

    void trigger(const ui::MainWindow& window, const char* item) { child<QAction>(&window, item)->trigger(); }

    fernhold::test::TempFolder m_program;
    fernhold::test::FakeServices m_fakes;
    core::AppState m_state;
};

TEST_F(MainWindowTest, IsANarrowStripWithTheMenuTreeAndAHiddenDebugItem)
{
    auto window = std::make_unique<ui::MainWindow>(m_state, m_fakes.services);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("つむぎ君:  23:59:59"));
    EXPECT_FALSE(child<QTimer>(window.get(), "Timer1")->isActive());
    ASSERT_TRUE(window->Form_Load().ok());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("つむぎ君:  23:59:59"));
    window->show();

    EXPECT_EQ(window->objectName(), "frmMain");
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowIcon().isNull());
    // Placed at the layout's corner and width, once the frame is known; the client area is the
    // menu bar alone, as tall as its font needs.
    const QRect layout = ui::twipsRect(window.get(), 100, 100, 2985, 630);
    const auto outer = [&] {
        return QRect(window->frameGeometry().topLeft(), QSize(window->frameGeometry().width(), 1));
    };
    (void)QTest::qWaitFor([&] { return outer() == QRect(layout.topLeft(), QSize(layout.width(), 1)); }, 1000);
    EXPECT_EQ(outer(), QRect(layout.topLeft(), QSize(layout.width(), 1)));
    // Qt's minimal platform (the Windows build's tests under Wine) lays the menu bar out with
    // Wine's stand-in fonts; the sizes are checked where fonts are drawn.
    if (QGuiApplication::platformName() != QLatin1String("minimal")) {
        EXPECT_EQ(window->menuBar()->geometry(), window->rect());
        EXPECT_EQ(window->height(), window->menuBar()->sizeHint().height());
    }

    EXPECT_EQ(captions(window->menuBar()->actions()), (QStringList{"設定", "バックアップ", "ヘルプ"}));
    EXPECT_FALSE(child<QAction>(window.get(), "menuLZH")->isVisible());

    EXPECT_EQ(child<QTimer>(window.get(), "Timer1")->interval(), 1000);
    EXPECT_TRUE(child<QTimer>(window.get(), "Timer1")->isActive());
}

// What the dialog does with a click and on closing is the dialog's own test; here, that the item
// opens it modally, owned by the main window, and that each opening loads afresh from the record.
TEST_F(MainWindowTest, SetupItemOpensTheDialogLoadedAfreshEachTime)
{
    auto window = open();
    for (const int index : {2, 5}) {
        m_state.setup.MonthBackTimeIndex = static_cast<std::int16_t>(index);
        QString shownTime;
        whenModalOpens([&](QWidget* dialog) {
            EXPECT_EQ(dialog->objectName(), "Setup");
            EXPECT_EQ(dialog->parentWidget(), window.get());
            shownTime = child<QLineEdit>(dialog, "txttime")->text();
            dialog->close();
        });
        trigger(*window, "menuSetup");
        EXPECT_EQ(shownTime, index == 2 ? QStringLiteral("01:00") : QStringLiteral("02:30"));
    }
    EXPECT_TRUE(fernhold::test::isFile(core::setupFilePath(m_program.path())));
}

TEST_F(MainWindowTest, HelpAndFindWindowsOpenModelessOnceBesideTheVersionBox)
{
    auto window = open();
    trigger(*window, "submenu_Help_6");
    EXPECT_EQ(m_state.HelpPage, 6);
    QWidget* help = fernhold::test::visibleWindow("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->parentWidget(), window.get());
    EXPECT_EQ(child<QLabel>(help, "lbl01")->text(), QStringLiteral("  フォルダを指定してコピー"));
    EXPECT_TRUE(child<QTextBrowser>(help, "WebBrowser1")->source().toLocalFile().endsWith("help6.html"));

    trigger(*window, "submenu_Help_0");
    EXPECT_EQ(fernhold::test::visibleWindow("frmHelp"), help);
    EXPECT_TRUE(child<QTextBrowser>(help, "WebBrowser1")->source().toLocalFile().endsWith("help0.html"));

    // The main window's menus keep working beside it: the version box opens modally.
    QString version;
    whenModalOpens([&](QWidget* box) {
        EXPECT_EQ(box->objectName(), "frmVersion");
        EXPECT_EQ(box->parentWidget(), window.get());
        version = child<QLabel>(box, "lblVer")->text();
        box->close();
    });
    trigger(*window, "submenu_Version");
    EXPECT_TRUE(version.startsWith(QStringLiteral("Ver ")));

    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(fernhold::test::visibleWindow("frmHelp"), nullptr);
    trigger(*window, "submenu_Help_3");
    EXPECT_NE(fernhold::test::visibleWindow("frmHelp"), nullptr);

    // The find window is modeless too, and opened once.
    trigger(*window, "submenuFind");
    QWidget* find = fernhold::test::visibleWindow("frmFind");
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->parentWidget(), window.get());
    EXPECT_FALSE(find->isModal());
    trigger(*window, "submenuFind");
    EXPECT_EQ(fernhold::test::visibleWindow("frmFind"), find);
}

TEST_F(MainWindowTest, RestoreItemsSetReturnModeBeforeTheRestoreWindowLoads)
{
    auto window = open();
    for (int index : {0, 1, 0}) {
        int modeWhenOpen = -1;
        whenModalOpens([&](QWidget* restore) {
            EXPECT_EQ(restore->objectName(), "frmReload");
            EXPECT_EQ(restore->parentWidget(), window.get());
            modeWhenOpen = m_state.ReturnMode;
            restore->close();
        });
        trigger(*window, ("submenuReturn_" + std::to_string(index)).c_str());
        EXPECT_EQ(m_state.ReturnMode, index);
        EXPECT_EQ(modeWhenOpen, index);
    }
}

TEST_F(MainWindowTest, BackupAndHiddenDebugItemsRunThroughTheArchiver)
{
    auto window = open();
    trigger(*window, "submenu_Nowback");
    ASSERT_EQ(m_fakes.archiver.commands().size(), 1u);
    EXPECT_EQ(m_fakes.archiver.commands()[0].command, 'a');
    trigger(*window, "submenu_Dayback");
    EXPECT_EQ(m_fakes.archiver.commands().size(), 2u);
    m_fakes.dialogs.clear();
    trigger(*window, "menuLZH");
    EXPECT_EQ(m_fakes.archiver.commands().back(), fernhold::test::commandOf(core::extractionTestCommand()));
    EXPECT_TRUE(m_fakes.dialogs.shown().empty());
}

// A setup.def cut short after a ticked hour that is due: the start-up's message box stays open
// past a tick, and the record it loaded in part is replaced by the defaults once it closes.
TEST_F(MainWindowTest, NoTickRunsWhileAStartupMessageBoxIsOpen)
{
    m_fakes.clock.set(2026, 12, 6, 10, 0, 1);
    core::AppState saved;
    core::ApplyDefaults(saved.setup, m_program.path());
    saved.setup.DayBackHour[10] = 1;
    const std::string whole = core::serializeSetup(saved.setup);
    std::size_t cut = 0;
    for (int line = 0; line < 40; ++line)
        cut = whole.find('\n', cut) + 1;
    fernhold::test::writeFile(core::setupFilePath(m_program.path()), whole.substr(0, cut));
    fernhold::test::makeFolder(saved.setup.BackupFolder);

    // The box runs its own event loop for longer than a tick, as a person reading it would.
    m_fakes.dialogs.setOnMessage([] { QTest::qWait(1300); });
    auto window = std::make_unique<ui::MainWindow>(m_state, m_fakes.services);
    ASSERT_TRUE(window->Form_Load().ok());
    ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
    EXPECT_TRUE(m_fakes.mainView.titles().empty());
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_TRUE(child<QTimer>(window.get(), "Timer1")->isActive());
}

// A protected folder that fails every hour: the newest notice replaces the last, and closing the
// main window leaves nothing on screen to keep the program running.
TEST_F(MainWindowTest, ScheduledFailureNoticesNeitherPileUpNorOutliveTheMainWindow)
{
    ui::QtDialogs dialogs;
    core::Services services{m_fakes.clock, dialogs, m_fakes.mainView, m_fakes.archiver, m_fakes.locale};
    auto window = open(services);
    dialogs.attach(window.get());
    m_fakes.archiver.setResult(fernhold::test::archiveFailure(base::ErrorCode::DiskFull));
    const auto visibleNotices = [] {
        QList<QMessageBox*> boxes;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                boxes << box;
        return boxes;
    };
    for (const int hour : {10, 11, 12}) {
        m_state.setup.DayBackHour[hour] = 1;
        m_fakes.clock.set(2026, 12, 6, hour, 0, 1);
        window->Timer1_Timer();
        m_fakes.clock.set(2026, 12, 6, hour, 0, 10); // the hour's window has passed
        window->Timer1_Timer();
        ASSERT_EQ(visibleNotices().size(), 1) << hour;
        EXPECT_TRUE(visibleNotices()[0]->text().contains(QStringLiteral("hback%1").arg(hour - 9, 2, 10, QChar('0'))));
    }
    EXPECT_EQ(m_fakes.archiver.commands().size(), 3u);

    window->close();
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
}

} // namespace
