// Opens each window of the program with fake services and saves a picture of it into the folder
// named by FERNHOLD_SCREENSHOT_DIR. Meant to run under a virtual X server, e.g.
//   xvfb-run -s "-screen 0 1024x768x24" env FERNHOLD_SCREENSHOT_DIR=docs/screenshots \
//       build/tools/fernhold_screenshots

#include "core/settings/setup_file.h"
#include "core/shell/autostart_questions.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/temp_folder.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_main_view.h"
#include "ui/setup_dialog.h"
#include "ui/version_box.h"
#ifdef FERNHOLD_HAVE_RESTORE_WINDOW
#include "ui/restore/restore_window.h"
#endif

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

// The screen's pixels under `area`, so that open menus are caught as well.
void saveScreenArea(const QRect& area, const QString& file)
{
    QTest::qWait(400);
    const QPixmap picture =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (!picture.save(file))
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
}

void saveWindow(QWidget& window, const QString& file)
{
    window.show();
    window.move(40, 40);
    QTest::qWait(200);
    saveScreenArea(window.frameGeometry().adjusted(-4, -4, 4, 4), file);
    window.hide();
}

} // namespace

int main(int argc, char* argv[])
{
    const QString outFolder = qEnvironmentVariable("FERNHOLD_SCREENSHOT_DIR");
    if (outFolder.isEmpty()) {
        std::fprintf(stderr, "set FERNHOLD_SCREENSHOT_DIR to the folder for the pictures\n");
        return 2;
    }
    QApplication app(argc, argv);
    QDir().mkpath(outFolder);

    fernhold::test::TempFolder program;
    for (int page = 0; page < 7; ++page) {
        const QString name = QStringLiteral("help%1.html").arg(page);
        QFile::copy(QStringLiteral(FERNHOLD_RESOURCES_DIR "/") + name,
                    QString::fromStdString(platform::joinPath(program.path(), name.toStdString())));
    }
    fernhold::test::FakeServices fakes;
    fakes.clock.set(2026, 12, 6, 14, 5, 9);
    ui::QtMainView mainView;
    core::Services services{fakes.clock, fakes.dialogs, mainView, fakes.archiver, fakes.locale};
    core::AppState state;
    state.programFolder = program.path();

    ui::MainWindow mainWindow(state, services);
    mainView.attach(&mainWindow);
    if (!mainWindow.Form_Load())
        return 1;
    state.setup.DayBackHour = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0};
    state.setup.MonthBackOption[1] = 1;
    mainWindow.show();
    saveScreenArea(mainWindow.frameGeometry().adjusted(-4, -4, 4, 4), outFolder + "/main_window.png");

    // The backup menu with the restore submenu open.
    QMenu* backup = mainWindow.findChild<QMenu*>(QStringLiteral("menuBackup"));
    QMenu* restore = mainWindow.findChild<QMenu*>(QStringLiteral("submenuRet"));
    mainWindow.menuBar()->setActiveAction(backup->menuAction());
    QTest::qWait(200);
    backup->setActiveAction(restore->menuAction());
    restore->popup(backup->geometry().topRight() + QPoint(0, backup->actionGeometry(restore->menuAction()).top()));
    QTest::qWait(200);
    saveScreenArea(
        mainWindow.frameGeometry().united(backup->geometry()).united(restore->geometry()).adjusted(-4, -4, 4, 4),
        outFolder + "/main_menu.png");
    restore->hide();
    backup->hide();

    ui::SetupDialog setup(state, services);
    saveWindow(setup, outFolder + "/setup_dialog.png");

    state.HelpPage = 0;
    ui::HelpWindow help(state);
    help.setAttribute(Qt::WA_DeleteOnClose, false);
    help.Form_Load();
    saveWindow(help, outFolder + "/help_window.png");

    ui::VersionBox version;
    saveWindow(version, outFolder + "/version_box.png");

    // A question as the program asks it, with its real message box.
    ui::QtDialogs dialogs;
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        saveScreenArea(box->frameGeometry().adjusted(-4, -4, 4, 4), outFolder + "/question_box.png");
        box->close();
    });
    dialogs.ask(core::kAutostartTitle, core::kAutostartSetQuestion);

#ifdef FERNHOLD_HAVE_RESTORE_WINDOW
    state.ReturnMode = 1;
    ui::RestoreWindow reload(state, services);
    saveWindow(reload, outFolder + "/restore_window.png");
#endif
    return 0;
}
