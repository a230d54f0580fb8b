#pragma once
// The backups nobody clicked: they add onto the slot's archive, show nothing when they succeed and
// leave setup.def to the next save. A failure is told without blocking the timer.

#include "core/app_state.h"

namespace core {

void runScheduledMonthBack(AppState& state, Services& services);
void runScheduledDayBack(AppState& state, Services& services);

} // namespace core
