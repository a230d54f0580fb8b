#include "core/settings/setup_file.h"
#include "core/shell/autostart_questions.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"
#include "ui/setup_dialog.h"
#include "window_helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using fernhold::test::child;

class SetupDialogTest : public ::testing::Test {
protected:
    // Hour 3 hand-edited to a value other than 0 or 1.
    SetupDialogTest()
    {
        m_state.programFolder = m_program.path();
        core::ApplyDefaults(m_state.setup, m_state.programFolder);
        m_state.setup.DayBackHour[3] = 2;
        m_dialog = std::make_unique<ui::SetupDialog>(m_state, m_fakes.services);
        m_dialog->show();
    }

    template <typename T = QCheckBox> T* control(const char* name) const { return child<T>(m_dialog.get(), name); }
    void click(const char* name) { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }
    QString text(const char* name) const { return control<QLineEdit>(name)->text(); }

    // How many hours setup.def has ticked.
    std::ptrdiff_t savedHours() const
    {
        core::SetupRecord saved;
        EXPECT_TRUE(core::parseSetup(fernhold::test::readFile(core::setupFilePath(m_program.path())), saved).ok());
        return std::count(saved.DayBackHour.begin(), saved.DayBackHour.end(), 1);
    }

    fernhold::test::TempFolder m_program;
    fernhold::test::FakeServices m_fakes;
    core::AppState m_state;
    std::unique_ptr<ui::SetupDialog> m_dialog;
};

// A hand-edited hour shows clear, and the record follows what is shown.
TEST_F(SetupDialogTest, ShowsTheRecordUncutUnderItsJapaneseTitle)
{
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("つむぎ君:  バックアップの設定"));
    EXPECT_EQ(text("txtFolder"), QString::fromStdString(m_state.setup.BackupFolder));
    EXPECT_FALSE(control("chk02_3")->isChecked());
    EXPECT_EQ(m_state.setup.DayBackHour[3], 0);
    // Nothing cuts its text, and the all-on/all-off buttons clear the first row of hours.
    EXPECT_EQ(fernhold::test::cutTexts(m_dialog.get()), "");
    EXPECT_LT(control<QPushButton>("cmdOnOff_0")->geometry().bottom(), control("chk02_0")->y());
}

TEST_F(SetupDialogTest, EveryClickGoesIntoTheRecordAtOnce)
{
    click("chk02_5");
    click("chk01_2");
    EXPECT_EQ(m_state.setup.DayBackHour[5], 1);
    EXPECT_EQ(m_state.setup.MonthBackOption[2], 1);
    click("chk01_2");
    EXPECT_EQ(m_state.setup.MonthBackOption[2], 0);
    click("Check1"); // a sample of the mark, never cleared
    EXPECT_TRUE(control("Check1")->isChecked());

    control<QComboBox>("cmbTime")->setCurrentIndex(47);
    emit control<QComboBox>("cmbTime")->activated(47);
    EXPECT_EQ(m_state.setup.MonthBackTime, "23:30");
    EXPECT_EQ(text("txttime"), QStringLiteral("23:30"));
}

TEST_F(SetupDialogTest, SetSavesAndStaysOpenAndClosingSavesToo)
{
    click("cmdOnOff_0");
    click("cmdSet");
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(savedHours(), 24);

    click("cmdOnOff_1");
    m_dialog->reject(); // Escape
    EXPECT_EQ(savedHours(), 0);
}

// The program folder itself could never be restored into: refused, and the old folder stays shown.
TEST_F(SetupDialogTest, APickedFolderIsShownUnlessItIsRefused)
{
    const std::string work = m_program.file("work");
    fernhold::test::makeFolder(work);
    for (const std::string& picked : {work, m_program.path()}) {
        m_fakes.dialogs.chooseFolderAnswer(picked);
        click("cmdFolder");
        EXPECT_EQ(text("txtFolder"), QString::fromStdString(work + platform::kSeparator));
    }
    EXPECT_EQ(m_fakes.dialogs.messages().size(), 1u);
}

TEST_F(SetupDialogTest, AutostartItemsAskTheirOwnQuestion)
{
    control<QAction>("menuAuto")->trigger(); // both answered No
    control<QAction>("menuManu")->trigger();
    const auto questions = m_fakes.dialogs.questions();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].text, core::kAutostartSetQuestion);
    EXPECT_EQ(questions[1].text, core::kAutostartRemoveQuestion);
}

} // namespace
