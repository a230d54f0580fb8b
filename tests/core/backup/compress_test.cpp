#include "backup_fixture.h"
#include "core/backup/backup_operations.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
using namespace fernhold::test;

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(Compress, MarksTheProgramBusyForTheCallOnlyAndLeavesOutItsOwnTreeWhenTheSourceHoldsIt)
{
    BackupFixture f;
    bool busyDuringCall = false;
    f.fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand&) { busyDuringCall = f.state.archiveBusy; });
    const std::string& program = f.state.programFolder;
    core::compress(f.state, f.fakes.services, f.temp.path(), f.monthSlot(14));
    EXPECT_TRUE(busyDuringCall);
    EXPECT_FALSE(f.state.archiveBusy);
    const std::vector<std::string> excluded = f.fakes.archiver.calls().back().options.excludedPaths;
    for (const char* own : {"MonthBack", "DayBack", "setup.def", "TmpRead"})
        EXPECT_TRUE(contains(excluded, program + kSep + own)) << own;

    // The default protected folder is TmpRead itself: nothing of it may be left out.
    core::compress(f.state, f.fakes.services, program + kSep + "TmpRead", f.monthSlot(14));
    EXPECT_TRUE(f.fakes.archiver.calls().back().options.excludedPaths.empty());

    // A protected folder inside the tree never packs the archive being written.
    core::compress(f.state, f.fakes.services, program + kSep + "MonthBack", f.monthSlot(14));
    const std::vector<std::string> inside = f.fakes.archiver.calls().back().options.excludedPaths;
    EXPECT_TRUE(contains(inside, f.monthSlot(14)));
    EXPECT_FALSE(contains(inside, program + kSep + "DayBack"));
}

} // namespace
