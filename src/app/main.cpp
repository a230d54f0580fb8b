// The composition root: the real clock, message boxes, archiver and locale, the settings state,
// and the main window whose load runs the start-up sequence.

#include "core/app_state.h"
#include "platform/paths.h"
#include "ui/main_window.h"
#include "ui/program_icon.h"
#include "ui/qt_archive_runner.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_locale_format.h"
#include "ui/qt_main_view.h"
#include "ui/qt_translation.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(ui::programIcon());
    ui::loadQtJapanese(ui::qtTranslationFolder());

    core::AppState state;
    state.programFolder = platform::executableFolder();

    core::SystemClock clock;
    ui::QtDialogs dialogs;
    ui::QtMainView mainView;
    core::DirectArchiveRunner directArchiver;
    ui::QtArchiveRunner archiver(directArchiver);
    ui::QtLocaleFormat locale;
    core::Services services{clock, dialogs, mainView, archiver, locale};

    ui::MainWindow window(state, services);
    mainView.attach(&window);
    if (!window.Form_Load())
        return 1;
    window.show();
    return app.exec();
}
