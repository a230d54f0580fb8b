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
    // The defaults over a record: they keep its month stamps.
    core::SetupRecord defaultsOver(core::SetupRecord record) const
    {
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

// Look-alikes (〜 beside ～) in the folder's name must not turn into each other, or every later
// backup would look for a folder that is not there. A hundred megabytes of zeros after the last
// line (sparse: they cost no disk) are never read.
TEST(LoadSetup, ReadsASavedRecordWithoutAWord)
{
    for (const char* name : {"4月〜6月", "4月～6月", "‖¢£¬−—"}) {
        SCOPED_TRACE(name);
        Program program;
        const core::SetupRecord saved =
            program.saveAndForget(sampleRecord(program.folder.file(name) + platform::kSeparator));
        std::filesystem::resize_file(platform::toPath(program.setupPath()), 100u << 20);
        EXPECT_TRUE(core::LoadSetup(program.state, program.dialogs));
        EXPECT_EQ(program.state.setup, saved);
        EXPECT_TRUE(program.dialogs.shown().empty());
    }
}

// A file cut short keeps the stamps read before the cut; a header and then a hundred megabytes of
// zeros is refused early. Either is told once, and the file is rewritten with what was taken.
TEST(LoadSetup, ReportsAppliesDefaultsAndRewritesABadFile)
{
    Program cut;
    const core::SetupRecord saved = cut.saveAndForget(sampleRecord("x"));
    const std::string bytes = readFile(cut.setupPath());
    size_t end = 0;
    for (int line = 0; line < 67; ++line) // up to MonthBackDate(5)
        end = bytes.find("\r\n", end) + 2;
    ASSERT_TRUE(writeFile(cut.setupPath(), bytes.substr(0, end)));
    Program junk;
    ASSERT_TRUE(writeFile(junk.setupPath(), "\"Lumo-Tree Setup v1.1\"\r\n"));
    std::filesystem::resize_file(platform::toPath(junk.setupPath()), 100u << 20);

    for (const auto& [program, expected] :
         {std::pair{&cut, cut.defaultsOver(saved)}, std::pair{&junk, junk.defaultsOver({})}}) {
        base::Status rewrite = base::Status::error(base::ErrorCode::IoError, "unset");
        EXPECT_FALSE(core::LoadSetup(program->state, program->dialogs, &rewrite));
        EXPECT_TRUE(rewrite.ok());
        ASSERT_EQ(program->dialogs.shown().size(), 1u);
        EXPECT_EQ(program->dialogs.messages()[0].title, core::kProductName);
        EXPECT_EQ(program->dialogs.messages()[0].text, kLoadFailed);
        EXPECT_EQ(program->state.setup, expected);
        EXPECT_EQ(readFile(program->setupPath()), core::serializeSetup(expected));
    }
    EXPECT_EQ(cut.state.setup.MonthBackDate[5], saved.MonthBackDate[5]);
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
