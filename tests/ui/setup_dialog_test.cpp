#include "core/settings/setup_file.h"
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

namespace {

using fernhold::test::child;

class SetupDialogTest : public ::testing::Test {
protected:
    SetupDialogTest()
    {
        m_state.programFolder = m_program.path();
        core::ApplyDefaults(m_state.setup, m_state.programFolder);
    }

    std::unique_ptr<ui::SetupDialog> open()
    {
        auto dialog = std::make_unique<ui::SetupDialog>(m_state, m_fakes.services);
        dialog->show();
        return dialog;
    }

    // The hours as setup.def holds them.
    std::array<std::int16_t, 24> savedHours() const
    {
        core::SetupRecord saved;
        EXPECT_TRUE(core::parseSetup(fernhold::test::readFile(core::setupFilePath(m_program.path())), saved).ok());
        return saved.DayBackHour;
    }

    void click(ui::SetupDialog& dialog, const char* name)
    {
        QTest::mouseClick(child<QAbstractButton>(&dialog, name), Qt::LeftButton);
    }

    fernhold::test::TempFolder m_program;
    fernhold::test::FakeServices m_fakes;
    core::AppState m_state;
};

TEST_F(SetupDialogTest, ShowsEveryControlUncut)
{
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("つむぎ君:  バックアップの設定"));
    EXPECT_TRUE(child<QCheckBox>(dialog.get(), "Check1")->isChecked());
    EXPECT_TRUE(child<QLineEdit>(dialog.get(), "txtFolder")->isReadOnly());
    EXPECT_EQ(child<QLineEdit>(dialog.get(), "txtFolder")->text(), QString::fromStdString(m_state.setup.BackupFolder));
    EXPECT_EQ(child<QComboBox>(dialog.get(), "cmbTime")->count(), 48);

    // Nothing cuts its text, and the all-on/all-off buttons clear the first row of hours.
    EXPECT_EQ(fernhold::test::cutTexts(dialog.get()), "");
    EXPECT_LT(child<QPushButton>(dialog.get(), "cmdOnOff_0")->geometry().bottom(),
              child<QCheckBox>(dialog.get(), "chk02_0")->y());

    EXPECT_TRUE(dialog->rect().contains(child<QPushButton>(dialog.get(), "cmdSet")->geometry()));
}

TEST_F(SetupDialogTest, OpeningShowsHandEditedValuesAsTheNearestSoundChoice)
{
    m_state.setup.MonthBackTimeIndex = 16;
    m_state.setup.MonthBackTime = "10:00";
    auto dialog = open();
    EXPECT_EQ(m_state.setup.MonthBackTime, "08:00");
    EXPECT_EQ(child<QLineEdit>(dialog.get(), "txttime")->text(), QStringLiteral("08:00"));
    EXPECT_EQ(child<QComboBox>(dialog.get(), "cmbTime")->currentIndex(), 16);

    m_state.setup.MonthBackTimeIndex = 99;
    m_state.setup.MonthBackTime = "10:30";
    m_state.setup.DayBackHour[3] = 2;
    m_state.setup.MonthBackOption[2] = -1;
    dialog = open();
    EXPECT_EQ(m_state.setup.MonthBackTimeIndex, 21);
    EXPECT_EQ(m_state.setup.MonthBackTime, "10:30");
    EXPECT_FALSE(child<QCheckBox>(dialog.get(), "chk02_3")->isChecked());
    EXPECT_EQ(m_state.setup.DayBackHour[3], 0);
    EXPECT_EQ(m_state.setup.MonthBackOption[2], 0);
}

TEST_F(SetupDialogTest, EveryClickGoesIntoTheRecordAtOnce)
{
    auto dialog = open();
    click(*dialog, "chk02_5");
    EXPECT_EQ(m_state.setup.DayBackHour[5], 1);
    click(*dialog, "chk01_0");
    click(*dialog, "chk01_2");
    EXPECT_EQ(m_state.setup.MonthBackOption[0], 1);
    EXPECT_EQ(m_state.setup.MonthBackOption[2], 1);
    click(*dialog, "chk01_0");
    EXPECT_EQ(m_state.setup.MonthBackOption[0], 0);

    const core::SetupRecord before = m_state.setup;
    click(*dialog, "Check1");
    EXPECT_TRUE(child<QCheckBox>(dialog.get(), "Check1")->isChecked());
    EXPECT_EQ(m_state.setup, before);

    auto* times = child<QComboBox>(dialog.get(), "cmbTime");
    times->setCurrentIndex(47);
    emit times->activated(47);
    EXPECT_EQ(m_state.setup.MonthBackTimeIndex, 47);
    EXPECT_EQ(m_state.setup.MonthBackTime, "23:30");
    EXPECT_EQ(child<QLineEdit>(dialog.get(), "txttime")->text(), QStringLiteral("23:30"));
}

TEST_F(SetupDialogTest, SaveAllOnAndAllOffReachTheFile)
{
    auto dialog = open();
    click(*dialog, "cmdSet"); // saves and stays open
    EXPECT_TRUE(fernhold::test::isFile(core::setupFilePath(m_program.path())));
    EXPECT_TRUE(dialog->isVisible());
    click(*dialog, "cmdOnOff_0");
    EXPECT_EQ(dialog->focusWidget(), child<QWidget>(dialog.get(), "cmdSet"));
    dialog->close();
    std::array<std::int16_t, 24> hours;
    hours.fill(1);
    EXPECT_EQ(savedHours(), hours);

    dialog = open();
    EXPECT_TRUE(child<QCheckBox>(dialog.get(), "chk02_23")->isChecked());
    click(*dialog, "cmdOnOff_1");
    dialog->reject(); // Escape
    EXPECT_EQ(savedHours(), decltype(hours){});
}

// The program folder itself could never be restored into: refused, and the old folder stays.
TEST_F(SetupDialogTest, APickedFolderIsStoredAndShownUnlessItCouldNeverBeRestored)
{
    const std::string work = m_program.file("work");
    fernhold::test::makeFolder(work);
    auto dialog = open();
    m_fakes.dialogs.chooseFolderAnswer(work);
    click(*dialog, "cmdFolder");
    const std::string stored = work + platform::kSeparator;
    EXPECT_EQ(m_state.setup.BackupFolder, stored);
    EXPECT_EQ(child<QLineEdit>(dialog.get(), "txtFolder")->text(), QString::fromStdString(stored));
    EXPECT_TRUE(m_fakes.dialogs.messages().empty());

    m_fakes.dialogs.chooseFolderAnswer(m_program.path());
    click(*dialog, "cmdFolder");
    EXPECT_EQ(m_state.setup.BackupFolder, stored);
    EXPECT_EQ(child<QLineEdit>(dialog.get(), "txtFolder")->text(), QString::fromStdString(stored));
    ASSERT_EQ(m_fakes.dialogs.messages().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.messages()[0].text.rfind(m_program.path() + " は\rつむぎ君のプログラムフォルダである", 0),
              0u);
}

TEST_F(SetupDialogTest, AutostartItemsAskFirstAndTouchNeitherRecordNorFile)
{
    auto dialog = open();
    const core::SetupRecord before = m_state.setup;
    child<QAction>(dialog.get(), "menuAuto")->trigger(); // both answered No
    child<QAction>(dialog.get(), "menuManu")->trigger();
    ASSERT_EQ(m_fakes.dialogs.questions().size(), 2u);
    EXPECT_EQ(m_fakes.dialogs.questions()[0].title, "つむぎ君：自動起動の設定");
    EXPECT_EQ(m_state.setup, before);
    EXPECT_FALSE(fernhold::test::isFile(core::setupFilePath(m_program.path())));
}

} // namespace
