// setup.def in every malformed form, read through the real start-up: one message, the defaults,
// and a rewritten file that the next start reads without complaint. Nothing crashes and nothing
// is read without bound.

#include "reliability/reliability_support.h"

#include "core/settings/setup_file.h"
#include "core/startup/startup.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {
using namespace fernhold::test;

struct Malformed {
    std::string name;
    std::string bytes;
};

std::string goodFile(const std::string& programFolder)
{
    core::SetupRecord record;
    core::ApplyDefaults(record, programFolder);
    record.BackupFolder = programFolder + "/保護";
    return core::serializeSetup(record);
}

// The first `lines` lines of text, each with its CRLF.
std::string firstLines(const std::string& text, int lines)
{
    std::size_t end = 0;
    for (int i = 0; i < lines && end != std::string::npos; ++i)
        end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

std::string replaceLine(const std::string& text, int lineNumber, const std::string& with)
{
    const std::size_t start = firstLines(text, lineNumber - 1).size();
    const std::size_t end = text.find("\r\n", start);
    return text.substr(0, start) + with + text.substr(end);
}

std::vector<Malformed> malformedForms(const std::string& good)
{
    std::vector<Malformed> forms = {
        {"empty", ""},
        {"one empty line", "\r\n"},
        {"header unquoted", replaceLine(good, 1, "Lumo-Tree Setup v1.1")},
        {"header of a later version", replaceLine(good, 1, "\"Lumo-Tree Setup v1.2\"")},
        {"header in other case", "\"lumo-tree setup v1.1\"\r\n" + good.substr(firstLines(good, 1).size())},
        {"cut in the last line", good.substr(0, good.size() - 5)},
        {"integer out of range", replaceLine(good, 12, "40000")},
        {"integer below range", replaceLine(good, 13, "-32769")},
        {"integer with blank", replaceLine(good, 37, " 3")},
        {"text where an integer belongs", replaceLine(good, 3, "\"0\"")},
        {"integer where a text belongs", replaceLine(good, 2, "17")},
        {"integer where a date belongs", replaceLine(good, 38, "0")},
        {"text where a date belongs", replaceLine(good, 92, "\"2004-05-14\"")},
        {"folder without quotation marks", replaceLine(good, 2, "D:\\no quotes")},
        {"unclosed quotation", replaceLine(good, 11, "\"08:00")},
        {"date out of the calendar", replaceLine(good, 40, "#2004-02-30 08:00:00#")},
        {"date of another form", replaceLine(good, 62, "2004/05/14")},
        {"time out of range", replaceLine(good, 41, "#25:61:61#")},
        {"NUL inside a line", replaceLine(good, 12, std::string("1\0006", 3))},
        {"bytes that are not CP932", replaceLine(good, 2, "\"\x81\x20\xFF\"")},
        {"CP932 lead byte without its trail", replaceLine(good, 2, "\"\x83\"")},
        {"byte-order mark alone", "\xEF\xBB\xBF"},
        {"byte-order mark with bytes that are not UTF-8", "\xEF\xBB\xBF" + replaceLine(good, 2, "\"\xC3\x28\"")},
        {"one megabyte line", replaceLine(good, 2, "\"" + std::string(1 << 20, 'a') + "\"")},
        {"binary noise", mixedBytes(5000, 3)},
        {"only line feeds", std::string(200, '\n')},
    };
    for (int cut : {1, 2, 10, 36, 37, 61, 91})
        forms.push_back({"cut after line " + std::to_string(cut), firstLines(good, cut)});
    return forms;
}

class MalformedSetup : public ::testing::Test {
protected:
    TempFolder m_temp;
    std::string m_program = m_temp.file("Fernhold");
};

TEST_F(MalformedSetup, EveryMalformedFileGivesOneMessageTheDefaultsAndAFileTheNextStartReads)
{
    core::SetupRecord defaults;
    core::ApplyDefaults(defaults, m_program);
    const std::string good = goodFile(m_program);
    for (const Malformed& form : malformedForms(good)) {
        SCOPED_TRACE(form.name);
        removeAll(m_program);
        makeFolder(m_program);
        writeFile(core::setupFilePath(m_program), form.bytes);

        ProgramRun run(m_program, false);
        EXPECT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
        ASSERT_EQ(run.real.dialogs.messages().size(), 1u);
        EXPECT_EQ(run.real.dialogs.messages()[0].text,
                  "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました");
        EXPECT_EQ(run.state.setup.BackupFolder, defaults.BackupFolder);
        EXPECT_EQ(run.state.setup.DayBackSlot, 0);
        const std::string rewritten = readFile(core::setupFilePath(m_program));
        core::SetupRecord reread;
        EXPECT_TRUE(core::parseSetup(rewritten, reread).ok());
        EXPECT_EQ(reread.BackupFolder, defaults.BackupFolder);

        ProgramRun next(m_program, false);
        EXPECT_TRUE(core::runStartup(next.state, next.real.services, {}).ok());
        EXPECT_TRUE(next.real.dialogs.messages().empty());
    }
}

TEST_F(MalformedSetup, TheTemporaryFileOfAKilledSaveIsRemovedAtTheNextStart)
{
    makeFolder(m_program);
    const std::string good = goodFile(m_program);
    writeFile(core::setupFilePath(m_program), good);
    writeFile(core::setupFilePath(m_program) + ".tmp4711-0", good.substr(0, 100));
    writeFile(m_program + "/setup.define", "not ours");
    ProgramRun run(m_program, false);
    EXPECT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
    EXPECT_FALSE(isFile(core::setupFilePath(m_program) + ".tmp4711-0"));
    EXPECT_TRUE(isFile(m_program + "/setup.define"));
    EXPECT_EQ(readFile(core::setupFilePath(m_program)), good);
}

} // namespace
