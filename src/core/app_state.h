#pragma once
// The process-wide state every window reads and changes in place, and the services through
// which the core reaches the clock, the person and the archiver.

#include "core/common/archive_runner.h"
#include "core/common/clock.h"
#include "core/common/dialogs.h"
#include "core/common/locale_format.h"
#include "core/common/main_view.h"
#include "core/settings/setup_file.h"
#include "core/settings/setup_record.h"

#include <array>
#include <cstdint>
#include <string>

namespace core {

struct AppState {
    std::string programFolder; // UTF-8, without a trailing separator
    SetupRecord setup;
    std::int16_t ReturnMode = 0;
    std::int16_t HelpPage = 0;
    std::array<std::int16_t, 2> TimerDone{};
    // True while an archive command runs; a tick then only sets the title.
    bool archiveBusy = false;
};

struct Services {
    const Clock& clock;
    Dialogs& dialogs;
    MainView& mainView;
    ArchiveRunner& archiver;
    const LocaleFormat& locale;
};

// setup.def of the program folder, read into and written from the state's record.
inline bool LoadSetup(AppState& state, Dialogs& dialogs, base::Status* rewriteStatus = nullptr)
{
    return LoadSetup(state.programFolder, state.setup, dialogs, rewriteStatus);
}

inline base::Status SaveSetup(const AppState& state)
{
    return SaveSetup(state.programFolder, state.setup);
}

} // namespace core
