#pragma once
// The restore of the selected slot over the protected folder.

#include "core/app_state.h"
#include "core/restore/reload_model.h"

namespace core::restore {

// Checks that the slot holds BackUp.lzh, asks the overwrite question and on Yes restores it over
// BackupFolder (less one trailing separator) with report = 1; a slot written while the question
// was open is not restored but reported, so the person may choose again. True when the window is
// to close: after a restore, whatever its outcome.
bool restoreSelectedSlot(AppState& state, Services& services, const ReloadModel& model);

} // namespace core::restore
