// setup.def in the malformed forms the value parsers' own tests do not reach, read through the real
// start-up: one message, the defaults, and a rewritten file that the next start reads without
// complaint. Nothing crashes and nothing is read without bound.

#include "reliability/reliability_support.h"

#include "core/settings/setup_file.h"
#include "core/startup/startup.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {
using namespace fernhold::test;

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
    return text.substr(0, start) + with + text.substr(text.find("\r\n", start));
}

// Each start also finds the temporary file of a killed save, which it removes, and a file of a
// name that only begins like it, which it keeps.
TEST(MalformedSetup, EveryMalformedFileGivesOneMessageTheDefaultsAndAFileTheNextStartReads)
{
    TempFolder temp;
    const std::string program = temp.file("Fernhold");
    const std::string setupPath = core::setupFilePath(program);
    core::SetupRecord record;
    core::ApplyDefaults(record, program);
    const std::string defaultFolder = record.BackupFolder;
    record.BackupFolder = program + "/保護";
    const std::string good = core::serializeSetup(record);
    const std::pair<const char*, std::string> forms[] = {
        {"empty", ""},
        {"only line feeds", std::string(200, '\n')},
        {"binary noise", mixedBytes(5000, 3)},
        {"header unquoted", replaceLine(good, 1, "Lumo-Tree Setup v1.1")},
        {"header of a later version", replaceLine(good, 1, "\"Lumo-Tree Setup v1.2\"")},
        {"header in other case", "\"lumo-tree setup v1.1\"\r\n" + good.substr(firstLines(good, 1).size())},
        {"cut after the header", firstLines(good, 1)},
        {"cut after line 91", firstLines(good, 91)},
        {"cut in the last line", good.substr(0, good.size() - 5)},
        {"integer out of range", replaceLine(good, 12, "40000")},
        {"integer where a text belongs", replaceLine(good, 2, "17")},
        {"NUL inside a line", replaceLine(good, 12, std::string("1\0006", 3))},
        {"bytes that are not CP932", replaceLine(good, 2, "\"\x81\x20\xFF\"")},
        {"CP932 lead byte without its trail", replaceLine(good, 2, "\"\x83\"")},
        {"byte-order mark alone", "\xEF\xBB\xBF"},
        {"byte-order mark with bytes that are not UTF-8", "\xEF\xBB\xBF" + replaceLine(good, 2, "\"\xC3\x28\"")},
        {"one megabyte line", replaceLine(good, 2, "\"" + std::string(1 << 20, 'a') + "\"")},
    };
    for (const auto& [name, bytes] : forms) {
        SCOPED_TRACE(name);
        removeAll(program);
        makeFolder(program);
        writeFile(setupPath, bytes);
        writeFile(setupPath + ".tmp4711-0", good.substr(0, 100));
        writeFile(program + "/setup.define", "not ours");

        ProgramRun run(program, false);
        EXPECT_TRUE(core::runStartup(run.state, run.real.services, {}).ok());
        ASSERT_EQ(run.real.dialogs.messages().size(), 1u);
        EXPECT_EQ(run.real.dialogs.messages()[0].text,
                  "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました");
        EXPECT_EQ(run.state.setup.BackupFolder, defaultFolder);
        EXPECT_EQ(readFile(setupPath), core::serializeSetup(run.state.setup));
        EXPECT_FALSE(isFile(setupPath + ".tmp4711-0"));
        EXPECT_TRUE(isFile(program + "/setup.define"));

        ProgramRun next(program, false);
        EXPECT_TRUE(core::runStartup(next.state, next.real.services, {}).ok());
        EXPECT_TRUE(next.real.dialogs.messages().empty());
    }
}

} // namespace
