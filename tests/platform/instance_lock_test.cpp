#include "platform/instance_lock.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using fernhold::test::TempFolder;

int probe(const char* mode, const std::string& folder)
{
    return fernhold::test::runToEnd(FERNHOLD_INSTANCE_PROBE, {mode, folder});
}

TEST(InstanceLock, ALaterStartInTheSameFolderIsKeptOutAndItsRequestReachesTheHolder)
{
    TempFolder folder;
    TempFolder otherFolder;
    {
        platform::InstanceLock holder(folder.path());
        ASSERT_FALSE(holder.heldElsewhere());
        EXPECT_FALSE(holder.takeShowRequest());
        for (int start = 0; start < 2; ++start) {
            EXPECT_EQ(probe("ask", folder.path()), 0);
            EXPECT_TRUE(holder.takeShowRequest());
            EXPECT_FALSE(holder.takeShowRequest());
        }
        EXPECT_EQ(probe("ask", otherFolder.path()), 1);
    }
    EXPECT_EQ(probe("ask", folder.path()), 1);
}

TEST(InstanceLock, AHolderThatDiesWithoutLettingGoFreesTheLock)
{
    TempFolder folder;
    ASSERT_EQ(probe("hold", folder.path()), 0);
    platform::InstanceLock next(folder.path());
    EXPECT_FALSE(next.heldElsewhere());
}

} // namespace
