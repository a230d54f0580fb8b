#include "core/shell/autostart_questions.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/scripted_dialogs.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifndef _WIN32

namespace {

using fernhold::test::ScriptedDialogs;
using fernhold::test::TempFolder;

// Points the XDG configuration folder at a temporary folder for one test.
class AutostartQuestions : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    std::string autostartFolder() const { return platform::joinPath(m_config.path(), "autostart"); }
    std::vector<std::string> entries() const { return fernhold::test::listFolder(autostartFolder()); }

    TempFolder m_config;
    TempFolder m_program;
};

TEST_F(AutostartQuestions, NoChangesNothingAndYesSetsUpOrRemovesOneEntry)
{
    TempFolder other;
    ScriptedDialogs dialogs;
    dialogs.answerNo();
    core::menuAuto_Click(dialogs, m_program.path());
    EXPECT_TRUE(entries().empty());

    dialogs.answerYes();
    dialogs.answerYes();
    core::menuAuto_Click(dialogs, m_program.path());
    core::menuAuto_Click(dialogs, other.path());
    ASSERT_EQ(entries(), std::vector<std::string>{"LTApp.desktop"});
    const std::string entry = fernhold::test::readFile(platform::joinPath(autostartFolder(), "LTApp.desktop"));
    EXPECT_NE(entry.find(platform::joinPath(other.path(), "Fernhold")), std::string::npos);

    dialogs.answerNo();
    core::menuManu_Click(dialogs);
    EXPECT_EQ(entries().size(), 1u);
    dialogs.answerYes();
    core::menuManu_Click(dialogs);
    EXPECT_TRUE(entries().empty());
    const auto& shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 5u); // the questions only: nothing is shown after the work
    for (const auto& question : shown)
        EXPECT_EQ(question.title, "つむぎ君：自動起動の設定");
    EXPECT_EQ(shown[0].text, "Windows の起動時に［つむぎ君］を自動で起動しますか？");
    EXPECT_EQ(shown[4].text, "［つむぎ君］の自動起動を解除しますか？");
}

} // namespace

#endif
