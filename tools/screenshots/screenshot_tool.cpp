// Opens each window of the program with a fake clock and archiver (the real message boxes and
// folder chooser, in Japanese) and saves a picture of it into the folder named by
// FERNHOLD_SCREENSHOT_DIR, each file name ending in FERNHOLD_SCREENSHOT_SUFFIX. Meant to run
// under a virtual X server with a window manager, so that title bars show; take.sh does that at
// 100 % and 150 %.

#include "core/archive/unlha.h"
#include "core/settings/setup_file.h"
#include "core/shell/help_pages.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"
#include "ui/find/find_window.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_main_view.h"
#include "ui/qt_translation.h"
#include "ui/setup_dialog.h"
#include "ui/version_box.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

QString g_folder;
QString g_suffix;

// The screen's pixels under `area` (title bars and open menus included).
void saveScreenArea(const QRect& area, const QString& name)
{
    QTest::qWait(600);
    const QRect margin = area.adjusted(-4, -4, 4, 4);
    const QPixmap picture =
        QGuiApplication::primaryScreen()->grabWindow(0, margin.x(), margin.y(), margin.width(), margin.height());
    const QString file = g_folder + QLatin1Char('/') + name + g_suffix + QStringLiteral(".png");
    if (!picture.save(file))
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
}

// Runs `open`, which blocks in a modal window; once that window shows, pictures the area
// `area` gives and then lets `close` end it.
void whileModalOpen(const std::function<void()>& open, const std::function<QRect(QWidget*)>& area, const QString& name,
                    const std::function<void(QWidget*)>& close)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        // Dialogs settle their size after the first show (the folder chooser grows): measure then.
        QTest::qWait(400);
        saveScreenArea(area(modal), name);
        close(modal);
    });
    poll->start();
    open();
}

QRect frameOf(QWidget* window)
{
    return window->frameGeometry();
}

void closeWindow(QWidget* window)
{
    window->close();
}

// A protected folder of office papers, packed into three slots with the memo and the cover
// changed between them, so the find window has versions to show.
void packThreeGenerations(core::AppState& state, const std::string& folder)
{
    namespace fs = std::filesystem;
    const auto put = [&](const std::string& relative, const std::string& bytes, int hoursAgo) {
        const std::string file = folder + "/" + relative;
        fs::create_directories(platform::toPath(file).parent_path());
        fernhold::test::writeFile(file, bytes);
        fs::last_write_time(platform::toPath(file), fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    };
    const auto cover = [](QColor colour) {
        QImage image(240, 160, QImage::Format_RGB32);
        image.fill(QColor(255, 255, 240));
        QPainter painter(&image);
        painter.setBrush(colour);
        painter.drawEllipse(QPoint(120, 80), 60, 60);
        painter.end();
        QByteArray png;
        QBuffer buffer(&png);
        image.save(&buffer, "PNG");
        return png.toStdString();
    };
    const auto pack = [&](const std::string& slot) {
        const std::string command =
            "a -d1 -y1 -h2 -jm2 \"" + core::archivePathInSlot(slot) + "\" \"" + folder + platform::kSeparator + "\"";
        char message[256];
        core::archive::Unlha(nullptr, command.c_str(), message, sizeof message);
    };
    put("議事録/定例会議メモ.txt", "12月定例会議\n・年末の棚卸しは 26 日\n", 50);
    put("見積書/見積書_2026.txt", "見積書 No.2026-118\n品名: 書庫整理 一式\n", 48);
    put("写真/表紙.png", cover(QColor(200, 60, 60)), 48);
    put("請求書.xlsx", std::string(5000, '\x01'), 47);
    pack(core::monthSlotPath(state.programFolder, 2));
    state.setup.MonthBackDate[1] = core::DateTime::fromCivil({2026, 12, 2, 9, 30, 0});
    put("議事録/定例会議メモ.txt", "12月定例会議\n・年末の棚卸しは 27 日に変更\n・新しい書庫の案内\n", 26);
    put("写真/表紙.png", cover(QColor(60, 120, 200)), 25);
    pack(core::daySlotPath(state.programFolder, 9));
    state.setup.DayBackDate[9] = core::DateTime::fromCivil({2026, 12, 5, 9, 0, 0});
    put("議事録/定例会議メモ.txt",
        "12月定例会議\n・年末の棚卸しは 27 日に変更\n・新しい書庫の案内\n・次回は 1 月 8 日\n", 3);
    pack(core::daySlotPath(state.programFolder, 11));
    state.setup.DayBackDate[11] = core::DateTime::fromCivil({2026, 12, 6, 11, 0, 0});
    put("議事録/定例会議メモ.txt", "書きかけ", 0);
}

void pickFirst(QTreeWidget* list, int row = 0)
{
    list->setCurrentItem(list->topLevelItem(row));
}

} // namespace

int main(int argc, char* argv[])
{
    g_folder = qEnvironmentVariable("FERNHOLD_SCREENSHOT_DIR");
    g_suffix = qEnvironmentVariable("FERNHOLD_SCREENSHOT_SUFFIX");
    if (g_folder.isEmpty()) {
        std::fprintf(stderr, "set FERNHOLD_SCREENSHOT_DIR to the folder for the pictures\n");
        return 2;
    }
    QApplication app(argc, argv);
    ui::loadQtJapanese(QStringLiteral(FERNHOLD_TRANSLATIONS_DIR));
    QDir().mkpath(g_folder);

    fernhold::test::TempFolder program;
    for (int page = 0; page < core::kHelpPageCount; ++page) {
        const QString name = QStringLiteral("help%1.html").arg(page);
        QFile::copy(QStringLiteral(FERNHOLD_RESOURCES_DIR "/") + name,
                    QString::fromStdString(platform::joinPath(program.path(), name.toStdString())));
    }
    fernhold::test::FakeServices fakes;
    fakes.clock.set(2026, 12, 6, 14, 5, 9);
    ui::QtDialogs dialogs;
    ui::QtMainView mainView;
    core::Services services{fakes.clock, dialogs, mainView, fakes.archiver, fakes.locale};
    core::AppState state;
    state.programFolder = program.path();

    ui::MainWindow mainWindow(state, services);
    mainView.attach(&mainWindow);
    if (!mainWindow.Form_Load().ok())
        return 1;
    state.setup.DayBackHour = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0};
    state.setup.MonthBackOption[1] = 1;
    state.setup.MonthBackDate[0] = core::DateTime::fromCivil({2026, 12, 1, 9, 30, 0});
    fernhold::test::writeFile(core::archivePathInSlot(core::monthSlotPath(program.path(), 1)), "archive");
    mainWindow.show();
    QTest::qWait(800);
    saveScreenArea(frameOf(&mainWindow), QStringLiteral("main_window"));

    // The backup menu with the restore submenu open, then the help menu.
    QMenu* backup = mainWindow.findChild<QMenu*>(QStringLiteral("menuBackup"));
    QMenu* restore = mainWindow.findChild<QMenu*>(QStringLiteral("submenuRet"));
    mainWindow.menuBar()->setActiveAction(backup->menuAction());
    QTest::qWait(300);
    backup->setActiveAction(restore->menuAction());
    restore->popup(backup->geometry().topRight() + QPoint(0, backup->actionGeometry(restore->menuAction()).top()));
    saveScreenArea(frameOf(&mainWindow).united(backup->geometry()).united(restore->geometry()),
                   QStringLiteral("main_menu"));
    restore->hide();
    backup->hide();
    QMenu* help = mainWindow.findChild<QMenu*>(QStringLiteral("menuHelp"));
    mainWindow.menuBar()->setActiveAction(help->menuAction());
    saveScreenArea(frameOf(&mainWindow).united(help->geometry()), QStringLiteral("help_menu"));
    help->hide();
    mainWindow.menuBar()->setActiveAction(nullptr);

    whileModalOpen([&] { mainWindow.menuSetup_Click(); }, frameOf, QStringLiteral("setup_dialog"), closeWindow);

    // By date, slot 01 holds an archive: the overwrite question over the window, then the copy's
    // chooser starting in TmpRead. Both are declined.
    whileModalOpen([&] { mainWindow.submenuReturn_Click(0); }, frameOf, QStringLiteral("restore_window"),
                   [](QWidget* reload) {
                       whileModalOpen(
                           [reload] { reload->findChild<QPushButton*>(QStringLiteral("cmdReload"))->click(); },
                           [reload](QWidget* box) { return frameOf(reload).united(frameOf(box)); },
                           QStringLiteral("restore_question"),
                           [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
                       whileModalOpen([reload] { reload->findChild<QPushButton*>(QStringLiteral("cmdRead"))->click(); },
                                      frameOf, QStringLiteral("copy_chooser"),
                                      [](QWidget* chooser) { qobject_cast<QDialog*>(chooser)->reject(); });
                       reload->close();
                   });

    mainWindow.submenu_Help_Click(6);
    QTest::qWait(300);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("frmHelp") && window->isVisible()) {
            saveScreenArea(frameOf(window), QStringLiteral("help_window"));
            window->close();
        }

    whileModalOpen([&] { mainWindow.submenu_Version_Click(); }, frameOf, QStringLiteral("version_box"), closeWindow);

    // The find window over three generations: a memo's versions with its text, the cover's
    // picture, and the question before an older memo replaces the one being written.
    const std::string data = platform::joinPath(program.path(), "書類");
    std::filesystem::remove(platform::toPath(core::archivePathInSlot(core::monthSlotPath(program.path(), 1))));
    state.setup.BackupFolder = data;
    packThreeGenerations(state, data);
    mainWindow.submenuFind_Click();
    auto* find = mainWindow.findChild<ui::FindWindow*>(QStringLiteral("frmFind"));
    if (!QTest::qWaitFor([&] { return find->historyReady(); }, 10000))
        return 1;
    find->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("めも"));
    pickFirst(find->findChild<QTreeWidget*>(QStringLiteral("lstFiles")));
    pickFirst(find->findChild<QTreeWidget*>(QStringLiteral("lstVersions")), 1);
    saveScreenArea(frameOf(find), QStringLiteral("find_window"));
    whileModalOpen([find] { find->findChild<QPushButton*>(QStringLiteral("cmdRestore"))->click(); },
                   [find](QWidget* box) { return frameOf(find).united(frameOf(box)); }, QStringLiteral("find_question"),
                   [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
    find->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("ＰＮＧ"));
    pickFirst(find->findChild<QTreeWidget*>(QStringLiteral("lstFiles")));
    pickFirst(find->findChild<QTreeWidget*>(QStringLiteral("lstVersions")), 1);
    saveScreenArea(frameOf(find), QStringLiteral("find_picture"));
    find->close();
    return 0;
}
