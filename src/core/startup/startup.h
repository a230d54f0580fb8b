#pragma once
// The start-up sequence, run before the main window is first shown: setup.def written with the
// defaults when missing, the slot tree, LoadSetup, the start-up backup, TmpRead.

#include "base/status.h"
#include "core/app_state.h"

#include <functional>

namespace core {

// startupBackup runs when MonthBackOption(0) is 1 (the schedule module supplies it), unless
// BackupFolder is one no restore could go back into; that is told instead, whatever the option.
// A file or folder that cannot be created is reported through dialogs (the path and the system's
// reason, titled with the product name) and returned; the program then ends with a failure status.
base::Status runStartup(AppState& state, Services& services, const std::function<void()>& startupBackup);

} // namespace core
