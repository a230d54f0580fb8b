#include "core/common/product.h"
#include "core/settings/setup_file.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
using core::DateTime;
using fernhold::test::FakeServices;
using fernhold::test::readFile;
using fernhold::test::ScriptedDialogs;
using fernhold::test::TempFolder;
using fernhold::test::writeFile;

const char* const kLoadFailed = "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました";

struct Program {
    TempFolder folder;
    core::AppState state;
    ScriptedDialogs dialogs;

    Program() { state.programFolder = folder.path(); }
    std::string setupPath() const { return core::setupFilePath(folder.path()); }
    core::SetupRecord defaultsKeeping(const core::SetupRecord& monthDatesFrom) const
    {
        core::SetupRecord record = monthDatesFrom;
        core::ApplyDefaults(record, folder.path());
        return record;
    }
    // Saves the record, then forgets it as a restart would.
    core::SetupRecord saveAndForget(const core::SetupRecord& record)
    {
        state.setup = record;
        EXPECT_TRUE(core::SaveSetup(state).ok());
        state.setup = {};
        return record;
    }
};

core::SetupRecord sampleRecord(const std::string& folder)
{
    core::SetupRecord record;
    core::ApplyDefaults(record, "unused");
    record.BackupFolder = folder;
    record.DayBackHour[14] = 1;
    record.DayBackSlot = 7;
    record.DayBackDate[7] = DateTime::fromCivil({2026, 12, 6, 14, 0, 2});
    record.MonthBackDate[5] = DateTime::fromCivil({2026, 12, 6, 0, 0, 0});
    return record;
}

void expectFailurePathTaken(Program& program, const core::SetupRecord& expected)
{
    ASSERT_EQ(program.dialogs.shown().size(), 1u);
    EXPECT_EQ(program.dialogs.messages().at(0).title, core::kProductName);
    EXPECT_EQ(program.dialogs.messages().at(0).text, kLoadFailed);
    EXPECT_EQ(program.state.setup, expected);
    EXPECT_EQ(readFile(program.setupPath()), core::serializeSetup(expected));
}

// The look-alikes (〜 beside ～) must not turn into each other, or every later backup would look
// for a folder that is not there.
TEST(LoadSetup, ReadsASavedRecordWithoutAWord)
{
    for (const char* name : {"データ", "〜", "−", "—", "‖", "¢", "£", "¬", "4月〜6月", "4月～6月"}) {
        SCOPED_TRACE(name);
        Program program;
        const core::SetupRecord saved =
            program.saveAndForget(sampleRecord(program.folder.file(name) + platform::kSeparator));
        EXPECT_TRUE(core::LoadSetup(program.state, program.dialogs));
        EXPECT_EQ(program.state.setup, saved);
        EXPECT_TRUE(program.dialogs.shown().empty());
    }
}

TEST(LoadSetup, ReportsAppliesDefaultsAndRewritesABadFile)
{
    Program program;
    const core::SetupRecord saved = program.saveAndForget(sampleRecord("x"));
    // Cut after MonthBackDate(5), line 67: that stamp stays as read.
    std::string bytes = readFile(program.setupPath());
    size_t cut = 0;
    for (int line = 0; line < 67; ++line)
        cut = bytes.find("\r\n", cut) + 2;
    ASSERT_TRUE(writeFile(program.setupPath(), bytes.substr(0, cut)));
    base::Status rewrite = base::Status::error(base::ErrorCode::IoError, "unset");
    EXPECT_FALSE(core::LoadSetup(program.state, program.dialogs, &rewrite));
    EXPECT_TRUE(rewrite.ok());
    expectFailurePathTaken(program, program.defaultsKeeping(saved));
    EXPECT_EQ(program.state.setup.MonthBackDate[5], saved.MonthBackDate[5]);
}

TEST(LoadSetup, StopsEarlyInAHundredMegabyteFile)
{
    // Sparse files: the zeros cost no disk; a reader that took them whole would still be slow.
    Program junk;
    ASSERT_TRUE(writeFile(junk.setupPath(), "\"Lumo-Tree Setup v1.1\"\r\n"));
    std::filesystem::resize_file(platform::toPath(junk.setupPath()), 100u << 20);
    EXPECT_FALSE(core::LoadSetup(junk.state, junk.dialogs));
    expectFailurePathTaken(junk, junk.defaultsKeeping({}));

    Program valid;
    const core::SetupRecord saved = valid.saveAndForget(sampleRecord("y"));
    std::filesystem::resize_file(platform::toPath(valid.setupPath()), 100u << 20);
    EXPECT_TRUE(core::LoadSetup(valid.state, valid.dialogs));
    EXPECT_EQ(valid.state.setup, saved);
}

// Saving replaces the file whole and leaves nothing beside it. Loading refuses control characters,
// so a folder name holding one keeps the saved file rather than cost all settings at the next start.
TEST(SaveSetup, ReplacesTheFileWholeOrKeepsItForAControlCharacter)
{
    Program program;
    ASSERT_TRUE(writeFile(program.setupPath(), std::string(100000, 'x')));
    program.state.setup = sampleRecord("z");
    ASSERT_TRUE(core::SaveSetup(program.state).ok());
    const std::string saved = readFile(program.setupPath());
    EXPECT_EQ(saved, core::serializeSetup(program.state.setup));
    EXPECT_EQ(fernhold::test::listFolder(program.folder.path()), std::vector<std::string>{"setup.def"});
    for (const char* folder : {"/home/a\nb", "/home/a\rb", "/home/a\tb", "/home/a\x1F"}) {
        program.state.setup.BackupFolder = folder;
        EXPECT_EQ(core::SaveSetup(program.state).code(), base::ErrorCode::InvalidArgument) << folder;
        EXPECT_EQ(readFile(program.setupPath()), saved);
    }
}

} // namespace
