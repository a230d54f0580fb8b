#pragma once

#include "core/app_state.h"
#include "support/fake_archive_runner.h"
#include "support/fake_clock.h"
#include "support/fake_main_view.h"
#include "support/fixed_locale_format.h"
#include "support/scripted_dialogs.h"

namespace fernhold::test {

// One of every fake, wired into the core's Services.
struct FakeServices {
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeMainView mainView;
    FakeArchiveRunner archiver;
    FixedLocaleFormat locale;
    core::Services services{clock, dialogs, mainView, archiver, locale};

    FakeServices() = default;
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;
};

} // namespace fernhold::test
