// The real program, copied into a folder of its own: the executable's folder is its program
// folder, and a link would lead back to the build's.

#include "core/settings/setup_file.h"
#include "support/child_process.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Autostart and a manual start in one folder: the later start hands over and ends with success,
// and the running program carries on.
TEST(Program, ASecondStartInTheSameFolderEndsWithSuccessAndLeavesTheFirstRunning)
{
    fernhold::test::TempFolder folder;
    const std::string program = folder.file("Fernhold");
    std::filesystem::copy_file(FERNHOLD_PROGRAM, program);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    fernhold::test::ChildProcess first(program, {});
    // setup.def is written by the start-up, after the lock was taken.
    for (int wait = 0; wait < 1500 && !fernhold::test::isFile(core::setupFilePath(folder.path())); ++wait)
        std::this_thread::sleep_for(20ms);
    ASSERT_FALSE(first.waitFor(0ms).has_value()) << "the first start ended";

    EXPECT_EQ(fernhold::test::ChildProcess(program, {}).waitFor(30s), std::optional<int>(0));
    EXPECT_FALSE(first.waitFor(500ms).has_value());
}

} // namespace
