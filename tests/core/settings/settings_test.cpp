// setup.def: its values, its lines, and loading and saving it whole.

#include "core/app_state.h"
#include "core/common/product.h"
#include "core/settings/setup_file.h"
#include "core/settings/setup_values.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "support/file_helpers.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
using core::DateTime;
using core::SetupRecord;
using fernhold::test::readFile;
using fernhold::test::ScriptedDialogs;
using fernhold::test::TempFolder;
using fernhold::test::writeFile;
namespace setup = core::setup;

const std::string kSep(1, platform::kSeparator);

std::vector<std::string> splitCrlf(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "bytes after the last CRLF";
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines, const char* ending = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + ending;
    return text;
}

SetupRecord everyFieldSet()
{
    SetupRecord record;
    record.BackupFolder = "D:" + kSep + "データ" + kSep + "ソ表～∥－￢" + kSep;
    for (int i = 0; i < 8; ++i)
        record.MonthBackOption[i] = static_cast<std::int16_t>(i % 2);
    record.MonthBackTime = "23:30";
    record.MonthBackTimeIndex = 47;
    for (int h = 0; h < 24; ++h)
        record.DayBackHour[h] = static_cast<std::int16_t>(h % 3 == 0);
    record.DayBackSlot = 23;
    for (int n = 0; n < 24; ++n)
        record.DayBackDate[n] = DateTime::fromCivil({2004, 5, 1 + n, n, 59 - n, n * 2});
    record.DayBackDate[3] = DateTime();                                  // zero
    record.DayBackDate[4] = DateTime::fromCivil({2004, 5, 14, 0, 0, 0}); // midnight
    record.DayBackDate[5] = DateTime::fromSeconds(3661);                 // a time alone
    for (int d = 0; d < 31; ++d)
        record.MonthBackDate[d] = d % 5 == 0 ? DateTime() : DateTime::fromCivil({2026, 12, d + 1, 8, 0, 3});
    return record;
}

TEST(SetupFile, DefaultsMakeNinetyTwoCrlfLinesByteForByte)
{
    SetupRecord record;
    const std::string program = kSep + "opt" + kSep + "fernhold";
    core::ApplyDefaults(record, program);

    std::vector<std::string> expected = {"\"Lumo-Tree Setup v1.1\"", "\"" + program + kSep + "TmpRead\""};
    expected.insert(expected.end(), 8, "0");
    expected.push_back("\"08:00\"");
    expected.push_back("16");
    expected.insert(expected.end(), 24, "0");
    expected.push_back("0");
    expected.insert(expected.end(), 55, "#1899-12-30#");
    ASSERT_EQ(expected.size(), 92u);
    EXPECT_EQ(core::serializeSetup(record), joinLines(expected));
}

// In CP932 when it holds the folder's name, else in UTF-8 behind a byte-order mark.
TEST(SetupFile, RoundTripsEveryFieldInCp932OrElseUtf8)
{
    for (const bool cp932 : {true, false}) {
        SetupRecord written = everyFieldSet();
        if (!cp932)
            written.BackupFolder = "/home/café/한글/つむぎ/";
        const std::string bytes = core::serializeSetup(written);
        const std::string bom = cp932 ? "" : "\xEF\xBB\xBF";
        ASSERT_EQ(bytes.substr(0, bom.size()), bom);
        const std::string body = bytes.substr(bom.size());
        const auto lines = splitCrlf(body);
        EXPECT_EQ(lines.size(), 92u);
        EXPECT_EQ(lines[1],
                  "\"" + (cp932 ? *platform::utf8ToCp932(written.BackupFolder) : written.BackupFolder) + "\"");
        // LF line ends, a last line without its end and lines after the last are read alike.
        const std::string lf = joinLines(lines, "\n");
        for (const std::string& form : {body, lf, lf.substr(0, lf.size() - 1), body + "extra\r\n\x01\x02 junk"}) {
            SetupRecord read;
            ASSERT_TRUE(core::parseSetup(bom + form, read).ok());
            EXPECT_EQ(read, written);
        }
    }
}

TEST(SetupFile, KeepsOutOfRangeValuesOfAHandEditedFileAsRead)
{
    std::vector<std::string> lines = splitCrlf(core::serializeSetup(everyFieldSet()));
    lines[2] = "5";      // MonthBackOption(0)
    lines[10] = "\"7\""; // MonthBackTime
    lines[11] = "99";    // MonthBackTimeIndex
    lines[36] = "-3";    // DayBackSlot
    SetupRecord read;
    ASSERT_TRUE(core::parseSetup(joinLines(lines), read).ok());
    EXPECT_EQ(read.MonthBackOption[0], 5);
    EXPECT_EQ(read.MonthBackTime, "7");
    EXPECT_EQ(read.MonthBackTimeIndex, 99);
    EXPECT_EQ(read.DayBackSlot, -3);
}

TEST(SetupFile, RefusesAFileCutAfterAnyLine)
{
    const std::vector<std::string> lines = splitCrlf(core::serializeSetup(everyFieldSet()));
    for (long kept = 0; kept < 92; ++kept) {
        SetupRecord read;
        EXPECT_EQ(core::parseSetup(joinLines({lines.begin(), lines.begin() + kept}), read).code(),
                  base::ErrorCode::Corrupt)
            << kept << " lines";
    }
}

TEST(SetupValues, WritesAndReadsDateTimesInTheirFullAndShortForms)
{
    const std::pair<DateTime, const char*> forms[] = {
        {DateTime::fromCivil({2004, 5, 14, 8, 0, 3}), "#2004-05-14 08:00:03#"},
        {DateTime::fromCivil({2004, 5, 14, 0, 0, 0}), "#2004-05-14#"},
        {DateTime::fromSeconds(8 * 3600 + 3), "#08:00:03#"},
        {DateTime(), "#1899-12-30#"},
        {DateTime::fromSeconds(-1), "#1899-12-29 23:59:59#"},
        {DateTime::fromSeconds(86400), "#1899-12-31#"},
        {DateTime::fromCivil({2000, 2, 29, 0, 0, 0}), "#2000-02-29#"},
        {DateTime::fromCivil({9999, 12, 31, 23, 59, 59}), "#9999-12-31 23:59:59#"},
    };
    for (const auto& [value, text] : forms) {
        EXPECT_EQ(setup::formatDateTime(value), text);
        EXPECT_EQ(setup::parseDateTime(text), value) << text;
    }
    // Both short forms of the zero value, and the full forms of short values, are zero and times.
    EXPECT_EQ(setup::parseDateTime("#00:00:00#"), DateTime());
    EXPECT_EQ(setup::parseDateTime("#1899-12-30 00:00:00#"), DateTime());
    EXPECT_EQ(setup::parseDateTime("#2004-05-14 00:00:00#"), DateTime::fromCivil({2004, 5, 14, 0, 0, 0}));
}

TEST(SetupValues, RefusesLinesThatAreNoDateTime)
{
    for (const char* line :
         {"", "#", "##", "2004-05-14", "#2004-05-14", "#2004-02-30#", "#1900-02-29#", "#2004-13-01#", "#0000-01-01#",
          "#2004-5-14#", "#24:00:00#", "#12:60:00#", "#8:00:03#", "#2004-05-14T08:00:03#", "#2004-05-14  08:00:03#",
          " #2004-05-14#", "#2004-05-14# ", "#abcd-ef-gh#", "0"})
        EXPECT_EQ(setup::parseDateTime(line), std::nullopt) << line;
}

TEST(SetupValues, ReadsSixteenBitIntegersAndQuotedTextOnly)
{
    EXPECT_EQ(setup::parseInteger("-32768"), -32768);
    EXPECT_EQ(setup::parseInteger("32767"), 32767);
    EXPECT_EQ(setup::parseInteger("007"), 7);
    for (const char* line :
         {"", "-", "32768", "-32769", "99999999999999999999999", "+1", " 1", "1 ", "1.0", "\"1\"", "#1#", "0x10", "一"})
        EXPECT_EQ(setup::parseInteger(line), std::nullopt) << line;
    // Text is what lies between the outer quotation marks.
    EXPECT_EQ(setup::parseText("\"\""), "");
    EXPECT_EQ(setup::parseText("\"a\"b\""), "a\"b");
    for (const char* line : {"", "\"", "08:00", "\"08:00", "08:00\"", " \"a\""})
        EXPECT_EQ(setup::parseText(line), std::nullopt) << line;
}

const char* const kLoadFailed = "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました";

struct Program {
    TempFolder folder;
    core::AppState state;
    ScriptedDialogs dialogs;

    Program() { state.programFolder = folder.path(); }
    std::string setupPath() const { return core::setupFilePath(folder.path()); }
    // The defaults over a record: they keep its month stamps.
    SetupRecord defaultsOver(SetupRecord record) const
    {
        core::ApplyDefaults(record, folder.path());
        return record;
    }
    // Saves the record, then forgets it as a restart would.
    SetupRecord saveAndForget(const SetupRecord& record)
    {
        state.setup = record;
        EXPECT_TRUE(core::SaveSetup(state).ok());
        state.setup = {};
        return record;
    }
};

SetupRecord sampleRecord(const std::string& folder)
{
    SetupRecord record;
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
        const SetupRecord saved = program.saveAndForget(sampleRecord(program.folder.file(name) + platform::kSeparator));
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
    const SetupRecord saved = cut.saveAndForget(sampleRecord("x"));
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
