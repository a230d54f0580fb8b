#include "core/common/product.h"
#include "core/settings/setup_file.h"
#include "core/startup/startup.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {
using core::DateTime;
using fernhold::test::FakeServices;
using fernhold::test::isFolder;
using fernhold::test::readFile;
using fernhold::test::TempFolder;
using fernhold::test::writeFile;

const char* const kFolderFailed = "次のフォルダを作成できませんでした：\r";
const char* const kFileFailed = "次のファイルを作成できませんでした：\r";

struct Start {
    TempFolder folder;
    core::AppState state;
    FakeServices fakes;
    int backups = 0;

    Start() { state.programFolder = folder.path(); }
    base::Status run()
    {
        return core::runStartup(state, fakes.services, [this] { ++backups; });
    }
    std::string setupPath() const { return core::setupFilePath(folder.path()); }
    void saveWith(const std::function<void(core::SetupRecord&)>& change)
    {
        core::AppState written;
        written.programFolder = folder.path();
        core::ApplyDefaults(written.setup, folder.path());
        change(written.setup);
        ASSERT_TRUE(core::SaveSetup(written).ok());
    }
};

TEST(Startup, FirstStartWritesTheDefaultsAndFiftyEightFoldersAndASecondRecreatesOnlyADeletedSlot)
{
    Start start;
    ASSERT_TRUE(start.run().ok());

    const auto first = fernhold::test::treeOf(start.folder.path());
    EXPECT_EQ(std::count_if(first.begin(), first.end(), [](const auto& entry) { return entry.first.back() == '/'; }),
              58);
    core::SetupRecord defaults;
    core::ApplyDefaults(defaults, start.folder.path());
    EXPECT_EQ(start.state.setup, defaults);
    EXPECT_EQ(readFile(start.setupPath()), core::serializeSetup(defaults));
    EXPECT_TRUE(start.fakes.dialogs.shown().empty());

    start.saveWith([](core::SetupRecord& r) { r.DayBackDate[5] = DateTime::fromCivil({2026, 12, 1, 9, 0, 0}); });
    ASSERT_TRUE(writeFile(core::archivePathInSlot(core::monthSlotPath(start.folder.path(), 6)), "archive"));
    const auto before = fernhold::test::treeOf(start.folder.path());
    std::filesystem::remove_all(platform::toPath(core::daySlotPath(start.folder.path(), 5)));

    start.state = {};
    start.state.programFolder = start.folder.path();
    ASSERT_TRUE(start.run().ok());
    EXPECT_EQ(fernhold::test::treeOf(start.folder.path()), before);
    EXPECT_EQ(start.state.setup.DayBackDate[5], DateTime::fromCivil({2026, 12, 1, 9, 0, 0}));
    EXPECT_TRUE(start.fakes.dialogs.shown().empty());
}

TEST(Startup, KeepsAPlainFileNamedDayBackAndReportsTheSlotItBlocks)
{
    Start start;
    const std::string dayBack = core::dayBackFolder(start.folder.path());
    ASSERT_TRUE(writeFile(dayBack, "not a folder"));

    const base::Status status = start.run();
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.path(), core::daySlotPath(start.folder.path(), 0));
    EXPECT_EQ(readFile(dayBack), "not a folder");

    ASSERT_EQ(start.fakes.dialogs.shown().size(), 1u);
    EXPECT_EQ(start.fakes.dialogs.shown()[0].title, core::kProductName);
    EXPECT_EQ(start.fakes.dialogs.shown()[0].text.rfind(
                  std::string(kFolderFailed) + status.path() + "\rフォルダのあるべき場所にファイルがあります\r", 0),
              0u);
}

// A folder named setup.def cannot be read (the load failure is told first) nor replaced; a program
// folder that is gone cannot take the file at all.
TEST(Startup, FailsWhenSetupDefCannotBeWritten)
{
    for (const bool folderInItsPlace : {true, false}) {
        Start start;
        if (folderInItsPlace)
            ASSERT_TRUE(fernhold::test::makeFolder(start.setupPath()));
        else
            start.state.programFolder = start.folder.file("gone");
        const std::string setupPath = core::setupFilePath(start.state.programFolder);
        const base::Status status = start.run();
        EXPECT_FALSE(status.ok());
        EXPECT_EQ(status.path(), setupPath);
        const auto messages = start.fakes.dialogs.messages();
        ASSERT_EQ(messages.size(), folderInItsPlace ? 2u : 1u);
        if (folderInItsPlace) {
            EXPECT_EQ(messages[0].text, "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました");
        }
        EXPECT_EQ(messages.back().text.rfind(kFileFailed + setupPath + "\r", 0), 0u) << messages.back().text;
        EXPECT_TRUE(folderInItsPlace ? isFolder(setupPath) : fernhold::test::listFolder(start.folder.path()).empty());
    }
}

TEST(Startup, RunsTheStartupBackupAfterLoadingAndBeforeTmpReadForAFolderThatCanBeRestored)
{
    Start start;
    start.saveWith([](core::SetupRecord& r) {
        r.MonthBackOption[0] = 1;
        r.DayBackSlot = 23;
    });
    bool tmpReadExisted = true;
    std::int16_t slotSeen = -1;
    const base::Status status = core::runStartup(start.state, start.fakes.services, [&] {
        tmpReadExisted = isFolder(start.folder.file("TmpRead"));
        slotSeen = start.state.setup.DayBackSlot;
    });
    ASSERT_TRUE(status.ok());
    EXPECT_EQ(slotSeen, 23);
    EXPECT_FALSE(tmpReadExisted);
    EXPECT_TRUE(isFolder(start.folder.file("TmpRead")));

    // Only an exact 1 switches it on.
    start.saveWith([](core::SetupRecord& r) { r.MonthBackOption[0] = 2; });
    ASSERT_TRUE(start.run().ok());
    EXPECT_EQ(start.backups, 0);

    // A hand-edited setup.def naming the program folder is told, and not backed up.
    const std::string program = start.folder.path();
    start.saveWith([&](core::SetupRecord& r) {
        r.MonthBackOption[0] = 1;
        r.BackupFolder = program + platform::kSeparator;
    });
    ASSERT_TRUE(start.run().ok());
    EXPECT_EQ(start.backups, 0);
    const auto messages = start.fakes.dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    // Worded as PickFolder's refusal, whose test has the whole text.
    EXPECT_EQ(messages[0].text.rfind(program + " は\rつむぎ君のプログラムフォルダであるので", 0), 0u);
}

} // namespace
