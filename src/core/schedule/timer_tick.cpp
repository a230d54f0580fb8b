#include "core/schedule/timer_tick.h"

#include "core/common/product.h"
#include "core/schedule/schedule_time.h"
#include "core/schedule/scheduled_backups.h"

namespace core {
namespace {

constexpr std::int16_t kFired = -1;
constexpr int kWindowSeconds = 5; // a window is its target second and the five after it

void tickMonthBack(AppState& state, Services& services, int t)
{
    const int s = monthBackTargetSecond(state.setup.MonthBackTime);
    std::int16_t& done = state.TimerDone[0];
    if (t > s + kWindowSeconds) {
        done = 0;
    } else if (done == 0 && t >= s) {
        runScheduledMonthBack(state, services);
        done = kFired;
    }
}

void tickDayBack(AppState& state, Services& services, int t, int h)
{
    std::int16_t& done = state.TimerDone[1];
    if (state.setup.DayBackHour[h] != 1 || t > h * 3600 + kWindowSeconds) {
        done = 0;
    } else if (done == 0 && t >= h * 3600) {
        runScheduledDayBack(state, services);
        done = kFired;
    }
}

} // namespace

std::string clockTitle(const LocaleFormat& locale, DateTime now)
{
    const CivilTime civil = now.civil();
    return std::string(kProductName) + ": " + locale.longTime(civil.hour, civil.minute, civil.second);
}

void runTick(AppState& state, Services& services)
{
    const ClockReading reading = services.clock.now();
    services.mainView.setTitle(clockTitle(services.locale, reading.time));
    // An archive command is running (its progress window lets ticks through): no second backup
    // may start, and the windows' flags wait for a tick that can act on them.
    if (state.archiveBusy)
        return;

    const int t = secondOfDay(reading);
    const int h = reading.time.civil().hour;
    if (state.setup.MonthBackOption[1] == 1)
        tickMonthBack(state, services, t);
    tickDayBack(state, services, t, h);
}

void runStartupBackup(AppState& state, Services& services)
{
    runScheduledMonthBack(state, services);
    runScheduledDayBack(state, services);
}

} // namespace core
