#include "core/backup/backup_messages.h"
#include "core/settings/setup_file.h"
#include "core/shell/extraction_test.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "window_helpers.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace {

using fernhold::test::child;
using fernhold::test::visibleWindow;
using fernhold::test::whenModalOpens;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        m_state.programFolder = m_program.path();
        m_fakes.clock.set(2026, 12, 6, 10, 0, 30);
    }

    void open(core::Services& services)
    {
        m_window = std::make_unique<ui::MainWindow>(m_state, services);
        EXPECT_TRUE(m_window->Form_Load().ok());
        m_window->show();
    }
    void trigger(const std::string& item) { child<QAction>(m_window.get(), item.c_str())->trigger(); }

    fernhold::test::TempFolder m_program;
    fernhold::test::FakeServices m_fakes;
    core::AppState m_state;
    std::unique_ptr<ui::MainWindow> m_window;
};

// An unreadable setup.def is told of at start-up; a tick while that box is open would back up with
// the record about to be replaced by the defaults.
TEST_F(MainWindowTest, IsAMenuStripWhoseTimerStartsOnlyAfterTheStartUp)
{
    fernhold::test::writeFile(core::setupFilePath(m_program.path()), "x");
    bool tickingDuringMessage = true;
    m_fakes.dialogs.setOnMessage([&] { tickingDuringMessage = child<QTimer>(m_window.get(), "Timer1")->isActive(); });
    open(m_fakes.services);
    ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
    EXPECT_FALSE(tickingDuringMessage);
    EXPECT_TRUE(child<QTimer>(m_window.get(), "Timer1")->isActive());

    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("つむぎ君:  23:59:59"));
    QStringList captions;
    for (const QAction* action : m_window->menuBar()->actions())
        if (action->isVisible())
            captions << action->text();
    EXPECT_EQ(captions, (QStringList{"設定", "バックアップ", "ヘルプ"}));
    // The client area is the menu bar alone; Wine's stand-in fonts (the minimal platform) size it
    // otherwise.
    if (QGuiApplication::platformName() != QLatin1String("minimal")) {
        EXPECT_EQ(m_window->height(), m_window->menuBar()->sizeHint().height());
    }
}

// Each item opens its own modal window over the main one; the restore window loads in its item's mode.
TEST_F(MainWindowTest, ModalItemsOpenTheirOwnWindow)
{
    open(m_fakes.services);
    const std::tuple<const char*, const char*, int> items[] = {{"menuSetup", "Setup", 0},
                                                               {"submenu_Version", "frmVersion", 0},
                                                               {"submenuReturn_1", "frmReload", 1},
                                                               {"submenuReturn_0", "frmReload", 0}};
    for (const auto& [item, name, mode] : items) {
        QString opened;
        int modeWhenOpen = -1;
        whenModalOpens([&](QWidget* modal) {
            opened = modal->objectName();
            modeWhenOpen = m_state.ReturnMode;
            EXPECT_EQ(modal->parentWidget(), m_window.get());
            modal->close();
        });
        trigger(item);
        EXPECT_EQ(opened, name) << item;
        EXPECT_EQ(modeWhenOpen, mode) << item;
    }
}

TEST_F(MainWindowTest, HelpAndFindOpenModelessAndOnce)
{
    open(m_fakes.services);
    trigger("submenu_Help_6");
    QWidget* help = visibleWindow("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle(), QStringLiteral("つむぎ君：　おたすけ"));
    EXPECT_EQ(child<QLabel>(help, "lbl01")->text(), QStringLiteral("  フォルダを指定してコピー"));
    EXPECT_EQ(fernhold::test::cutTexts(help), "");
    trigger("submenu_Help_0"); // the open window turns to the page
    EXPECT_EQ(visibleWindow("frmHelp"), help);
    EXPECT_TRUE(child<QTextBrowser>(help, "WebBrowser1")->source().toLocalFile().endsWith("help0.html"));
    help->close(); // deleted on closing: the next item opens a new one
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    trigger("submenu_Help_3");
    EXPECT_NE(visibleWindow("frmHelp"), nullptr);

    trigger("submenuFind");
    QWidget* find = visibleWindow("frmFind");
    ASSERT_NE(find, nullptr);
    EXPECT_FALSE(find->isModal());
    trigger("submenuFind");
    EXPECT_EQ(visibleWindow("frmFind"), find);
}

// Both backups go through the archiver; the report's title tells which one ran.
TEST_F(MainWindowTest, EachBackupItemRunsItsOwnBackupAndTheHiddenItemTheExtractionTest)
{
    open(m_fakes.services);
    const std::pair<const char*, std::string> items[] = {{"submenu_Nowback", core::nowbackTitle()},
                                                         {"submenu_Dayback", core::daybackTitle()}};
    for (const auto& [item, title] : items) {
        m_fakes.dialogs.clear();
        trigger(item);
        ASSERT_FALSE(m_fakes.dialogs.messages().empty()) << item;
        EXPECT_EQ(m_fakes.dialogs.messages()[0].title, title);
    }
    EXPECT_EQ(m_fakes.archiver.commands().size(), 2u);

    EXPECT_FALSE(child<QAction>(m_window.get(), "menuLZH")->isVisible());
    m_fakes.dialogs.clear();
    trigger("menuLZH");
    EXPECT_EQ(m_fakes.archiver.commands().back(), fernhold::test::commandOf(core::extractionTestCommand()));
    EXPECT_TRUE(m_fakes.dialogs.shown().empty());
}

// A protected folder that fails every hour: the newest notice replaces the last, and closing the
// main window leaves nothing on screen to keep the program running.
TEST_F(MainWindowTest, ScheduledFailureNoticesNeitherPileUpNorOutliveTheMainWindow)
{
    ui::QtDialogs dialogs;
    core::Services services{m_fakes.clock, dialogs, m_fakes.mainView, m_fakes.archiver, m_fakes.locale};
    open(services);
    dialogs.attach(m_window.get());
    m_fakes.archiver.setResult(fernhold::test::archiveFailure(base::ErrorCode::DiskFull));
    for (const int hour : {10, 11}) {
        m_state.setup.DayBackHour[hour] = 1;
        m_fakes.clock.set(2026, 12, 6, hour, 0, 1);
        m_window->Timer1_Timer();
        m_fakes.clock.set(2026, 12, 6, hour, 0, 10); // the hour's window has passed
        m_window->Timer1_Timer();
        QList<QMessageBox*> notices;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                notices << box;
        ASSERT_EQ(notices.size(), 1) << hour;
        EXPECT_TRUE(notices[0]->text().contains(QStringLiteral("hback%1").arg(hour - 9, 2, 10, QChar('0'))));
    }

    m_window->close();
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
}

} // namespace
