#pragma once
// The one-second tick: the clock in the title, the timed MonthBack backup and the DayBack hour
// backups; and the start-up backup.

#include "core/app_state.h"

#include <string>

namespace core {

// "つむぎ君: " + the time of day in the user's time format.
std::string clockTitle(const LocaleFormat& locale, DateTime now);

void runTick(AppState& state, Services& services);

// A scheduled MonthBack backup, then a scheduled DayBack backup; TimerDone untouched.
void runStartupBackup(AppState& state, Services& services);

} // namespace core
