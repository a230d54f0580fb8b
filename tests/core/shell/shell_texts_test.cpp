#include "core/shell/extraction_test.h"
#include "core/shell/help_pages.h"
#include "core/shell/version_text.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionText, WritesTheRevisionStraightAfterTheMinorNumber)
{
    EXPECT_EQ(core::versionText(1, 1, 3), "Ver 1.13");
    EXPECT_EQ(core::versionText(2, 0, 10), "Ver 2.010");
    EXPECT_EQ(core::versionText(1, 12, 0), "Ver 1.120");
    EXPECT_EQ(core::versionText(0, 0, 1), "Ver 0.01");
}

TEST(HelpPages, PagesOutsideZeroToSevenHaveNoTitleAndNoFile)
{
    for (int page : {-1, 8, 32767}) {
        EXPECT_FALSE(core::helpPage(page).has_value()) << page;
        EXPECT_EQ(core::helpPagePath("/opt/fh", page), "") << page;
    }
}

TEST(ExtractionTest, RunsTheFixedExtractCommandWithoutReportingAnything)
{
    fernhold::test::FakeServices fakes;
    core::AppState state;
    bool busyDuringRun = false;
    fakes.archiver.setOnRun([&](const core::archive::UnlhaCommand&) { busyDuringRun = state.archiveBusy; });
    fakes.archiver.setResult(fernhold::test::archiveFailure(base::ErrorCode::NotFound));

    core::runExtractionTest(state, fakes.services);

    ASSERT_EQ(fakes.archiver.commands().size(), 1u);
    EXPECT_EQ(core::extractionTestCommand(), "x -d1 -y1 \"D:\\My Documents\\Fernhold\\MonthBack\\mback24\\BackUp.lzh\" "
                                             "\"D:\\My Documents\\Fernhold\\MonthBack\\mback24\\bb\\\"");
    EXPECT_EQ(fakes.archiver.commands()[0], fernhold::test::commandOf(core::extractionTestCommand()));
    EXPECT_TRUE(busyDuringRun);
    EXPECT_FALSE(state.archiveBusy);
    EXPECT_TRUE(fakes.dialogs.shown().empty());
}

} // namespace
