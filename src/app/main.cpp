// The composition root: the real clock, message boxes, archiver and locale, the settings state,
// and the main window whose load runs the start-up sequence.

#include "core/app_state.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "ui/main_window.h"
#include "ui/program_icon.h"
#include "ui/qt_archive_runner.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_locale_format.h"
#include "ui/qt_main_view.h"
#include "ui/qt_translation.h"

#include <QApplication>
#include <QTimer>

namespace {

constexpr int kShowRequestPollMs = 250;

} // namespace

int main(int argc, char* argv[])
{
    core::AppState state;
    state.programFolder = platform::executableFolder();

    // A second copy (autostart and a manual start) would write the same slots and setup.def: it
    // brings the running one forward instead, and ends as a start that did what was asked.
    platform::InstanceLock instance(state.programFolder);
    if (instance.heldElsewhere()) {
        instance.requestShow();
        return 0;
    }

    QApplication app(argc, argv);
    app.setWindowIcon(ui::programIcon());
    ui::loadQtJapanese(ui::qtTranslationFolder());

    core::SystemClock clock;
    ui::QtDialogs dialogs;
    ui::QtMainView mainView;
    core::DirectArchiveRunner directArchiver;
    ui::QtArchiveRunner archiver(directArchiver);
    ui::QtLocaleFormat locale;
    core::Services services{clock, dialogs, mainView, archiver, locale};

    ui::MainWindow window(state, services);
    mainView.attach(&window);
    dialogs.attach(&window);
    if (!window.Form_Load().ok())
        return 1;
    window.show();

    QTimer showRequests;
    QObject::connect(&showRequests, &QTimer::timeout, &window, [&] {
        if (!instance.takeShowRequest())
            return;
        if (window.isMinimized())
            window.showNormal();
        window.raise();
        window.activateWindow();
    });
    showRequests.start(kShowRequestPollMs);
    return app.exec();
}
