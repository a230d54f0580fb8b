#pragma once
// What the reliability tests share: the real archiver behind the core's services, a program folder
// set up as a real run leaves it, and (Linux only) child processes that can be killed or held to a
// file-size limit part way through an operation.

#include "core/app_state.h"
#include "core/settings/setup_file.h"
#include "support/fake_clock.h"
#include "support/fake_main_view.h"
#include "support/file_helpers.h"
#include "support/fixed_locale_format.h"
#include "support/scripted_dialogs.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fernhold::test {

// The real archiver with the test's clock, dialogs and window.
struct RealServices {
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeMainView mainView;
    core::DirectArchiveRunner archiver;
    FixedLocaleFormat locale;
    core::Services services{clock, dialogs, mainView, archiver, locale};

    RealServices() { clock.set(2026, 12, 7, 10, 30, 0); }
    RealServices(const RealServices&) = delete;
    RealServices& operator=(const RealServices&) = delete;
};

// A run of the program over a program folder; setup.def is loaded unless told not to (start-up
// loads it itself).
struct ProgramRun {
    core::AppState state;
    RealServices real;
    explicit ProgramRun(const std::string& programFolder, bool load = true)
    {
        state.programFolder = programFolder;
        if (load)
            core::LoadSetup(state, real.dialogs);
    }
};

// The state of a program started with the default settings protecting protectedFolder, and its
// program folder: setup.def, the slot tree and TmpRead.
void setUpProgram(core::AppState& state, const std::string& programFolder, const std::string& protectedFolder);

// Unlha's code for packing folder into archive as the backups do, and for "t" on the archive.
int packFolder(const std::string& archivePath, const std::string& folder);
int testArchive(const std::string& archivePath);

// Entries beneath folder that a write cut short would leave: pending archives, parts, setup.def.tmp.
std::vector<std::string> temporariesIn(const std::string& folder);

#ifndef _WIN32
struct ChildEnd {
    bool killed = false; // ended by our SIGKILL
    int exitCode = -1;   // when it ended by returning from its work
    int otherSignal = 0; // any other signal: a crash
};

// Runs work in a forked child, which ends with work's result as exit code. killWhen is polled until
// the child ends; once it returns true the child gets SIGKILL (a null one lets it end by itself). A
// non-zero fileSizeLimit is set as RLIMIT_FSIZE with SIGXFSZ ignored, so a write past it fails.
ChildEnd runChild(const std::function<int()>& work, std::uint64_t fileSizeLimit, const std::function<bool()>& killWhen);

// killWhen that turns true `microseconds` from now, once the file at path (if one is named) holds
// at least `bytes` bytes.
std::function<bool()> killPoint(long long microseconds, const std::string& path = {}, std::uint64_t bytes = 0);
#endif

} // namespace fernhold::test
