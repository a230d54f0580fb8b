#pragma once
// What the reliability tests share: a program folder set up as a real run leaves it, the real
// archiver behind the core's services, byte snapshots of setup.def and the slots, and (Linux only)
// child processes that can be killed or held to a file-size limit part way through an operation.

#include "core/app_state.h"
#include "support/fake_clock.h"
#include "support/fake_main_view.h"
#include "support/file_helpers.h"
#include "support/fixed_locale_format.h"
#include "support/scripted_dialogs.h"

#include <cstdint>
#include <functional>
#include <map>
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

// A run of the program over a program folder with the real archiver; setup.def is loaded unless
// told not to (start-up loads it itself).
struct ProgramRun {
    core::AppState state;
    RealServices real;
    explicit ProgramRun(const std::string& programFolder, bool load = true);
};

// Writes a protected folder of `files` files of `bytesEach` mixed bytes in two subfolders.
void fillSource(const std::string& folder, int files, std::size_t bytesEach, unsigned seed);

// Every entry beneath folder whose name holds `part`.
std::vector<std::string> entriesNamed(const std::string& folder, const std::string& part);

// Copies a folder tree (files, folders, links as links). False on any failure.
bool copyTree(const std::string& from, const std::string& to);

// Unlha's code for packing folder into archive as the backups do, and for "t" on the archive.
int packFolder(const std::string& archivePath, const std::string& folder);
int testArchive(const std::string& archivePath);

// A program folder after a normal start: setup.def from the record, the slot tree, TmpRead.
void makeProgramFolder(const std::string& programFolder, const core::SetupRecord& record);

// The state of a program started with the default settings protecting protectedFolder, and its
// program folder made as above.
void setUpProgram(core::AppState& state, const std::string& programFolder, const std::string& protectedFolder);

// The size of the free space of the file system holding path, in bytes.
std::uint64_t freeSpace(const std::string& path);

#ifndef _WIN32
struct ChildEnd {
    bool killed = false; // ended by our SIGKILL
    bool exited = false; // ended by returning from its work
    int exitCode = -1;
    int otherSignal = 0; // any other signal: a crash
};

struct ChildLimits {
    // When non-zero, RLIMIT_FSIZE in bytes, with SIGXFSZ ignored so the write fails with EFBIG.
    std::uint64_t fileSizeLimit = 0;
};

// Runs work in a forked child, which ends with work's result as exit code. The parent decides
// when to kill it: killWhen is polled until the child ends; when it returns true the child gets
// SIGKILL. A null killWhen waits for the child to end by itself.
ChildEnd runChild(const std::function<int()>& work, const ChildLimits& limits, const std::function<bool()>& killWhen);

// killWhen that turns true after `microseconds`.
std::function<bool()> afterMicroseconds(long long microseconds);
// killWhen that turns true once the file at path holds at least `bytes` bytes.
std::function<bool()> onceFileReaches(const std::string& path, std::uint64_t bytes);
#endif

} // namespace fernhold::test
