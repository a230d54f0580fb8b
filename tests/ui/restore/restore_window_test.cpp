#include "ui/restore/restore_window.h"

#include "core/restore/restore_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace fernhold::test {
namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

class RestoreWindowTest : public RestoreFixture {
protected:
    // Form_Load only: the window is not shown, so it has not been activated.
    void load(int returnMode)
    {
        m_state.ReturnMode = static_cast<std::int16_t>(returnMode);
        m_window = std::make_unique<ui::RestoreWindow>(m_state, m_fakes.services);
    }

    void open(int returnMode)
    {
        load(returnMode);
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        ASSERT_TRUE(m_window->model().activated());
    }

    template <typename T> T* control(const char* name) const
    {
        T* widget = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString dir1Folder() const
    {
        const QListWidgetItem* item = control<QListWidget>("Dir1")->currentItem();
        return item ? item->data(Qt::UserRole).toString() : QString();
    }

    QStringList file1Names() const
    {
        QStringList names;
        const QListWidget* files = control<QListWidget>("File1");
        for (int row = 0; row < files->count(); ++row)
            names << files->item(row)->text();
        return names;
    }

    // Opens a folder in Dir1 as a person would: pick its entry and press Enter.
    void openInDir1(const std::string& folder)
    {
        QListWidget* dir1 = control<QListWidget>("Dir1");
        for (int row = 0; row < dir1->count(); ++row) {
            if (dir1->item(row)->data(Qt::UserRole).toString() == q(folder)) {
                dir1->setCurrentRow(row);
                QTest::keyClick(dir1, Qt::Key_Return);
                return;
            }
        }
        ADD_FAILURE() << "Dir1 does not list " << folder;
    }

    std::string title(const std::string& tail) const
    {
        const char sep = platform::kSeparator;
        return std::string("..") + sep + "prog" + sep + tail;
    }

    std::unique_ptr<ui::RestoreWindow> m_window;
};

TEST_F(RestoreWindowTest, LoadsByDateWithThirtyOneEntriesAndItsTabOrder)
{
    load(0);

    QComboBox* cmb01 = control<QComboBox>("cmb01");
    ASSERT_EQ(cmb01->count(), 31);
    EXPECT_EQ(cmb01->itemText(30), "31日  0:00:00");
    EXPECT_EQ(control<QPushButton>("cmdReload")->text(), "指定日付の復元（上書き）");
    EXPECT_EQ(m_window->windowTitle(), q(title(std::string("MonthBack") + platform::kSeparator + "mback01")));

    QWidget* expected[] = {control<QPushButton>("cmdReload"), control<QListWidget>("Dir1"),
                           control<QListWidget>("File1"), control<QComboBox>("cmb01"), control<QPushButton>("cmdRead")};
    for (int i = 0; i + 1 < 5; ++i) {
        // Parts such as a list's viewport and scroll bars sit in the chain but take no Tab.
        QWidget* next = expected[i]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, expected[i + 1]) << i;
    }
}

TEST_F(RestoreWindowTest, TheEntryListAndDir1MoveTheSlotTheFolderListsAndTheTitle)
{
    writeFile(core::archivePathInSlot(core::monthSlotPath(m_program, 5)), "lzh");
    open(0);
    control<QComboBox>("cmb01")->setCurrentIndex(4);
    EXPECT_EQ(dir1Folder(), q(core::monthSlotPath(m_program, 5)));
    EXPECT_EQ(file1Names(), QStringList{"BackUp.lzh"});
    EXPECT_EQ(m_window->windowTitle(), q(title(std::string("MonthBack") + platform::kSeparator + "mback05")));

    // Opening a slot folder in Dir1 selects that entry, of the window's own mode.
    open(1);
    openInDir1(m_program);
    openInDir1(core::monthBackFolder(m_program));
    openInDir1(core::monthSlotPath(m_program, 12));
    EXPECT_EQ(control<QComboBox>("cmb01")->currentIndex(), 12);
    EXPECT_EQ(dir1Folder(), q(core::daySlotPath(m_program, 12)));
    EXPECT_EQ(m_window->windowTitle(), q(title(std::string("DayBack") + platform::kSeparator + "hback12")));
}

TEST_F(RestoreWindowTest, RestoreStaysOpenOnNoAndRunsAndClosesOnYes)
{
    writeFile(core::archivePathInSlot(core::daySlotPath(m_program, 0)), "lzh");
    open(1);
    m_fakes.dialogs.answerNo();
    QTest::mouseClick(control<QPushButton>("cmdReload"), Qt::LeftButton);
    ASSERT_EQ(m_fakes.dialogs.questions().size(), 1u);
    EXPECT_EQ(m_fakes.dialogs.questions()[0].title, "つむぎ君：　復元する");
    EXPECT_TRUE(m_fakes.archiver.commands().empty());
    EXPECT_TRUE(m_window->isVisible());

    m_fakes.dialogs.answerYes();
    QTest::mouseClick(control<QPushButton>("cmdReload"), Qt::LeftButton);
    EXPECT_EQ(m_fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(m_fakes.dialogs.messages().back().text,
              core::archivePathInSlot(core::daySlotPath(m_program, 0)) + " を \r" + m_protected + " に復元しました");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->result(), QDialog::Accepted);
}

// With the default settings the chooser opens in TmpRead, which is also the protected folder:
// confirming it at once must not empty it without the question.
TEST_F(RestoreWindowTest, CopyStaysOpenOnCancelOrNoAndClosesAfterCopying)
{
    writeFile(core::archivePathInSlot(core::daySlotPath(m_program, 0)), "lzh");
    m_state.setup.BackupFolder = core::tmpReadFolder(m_program);
    put("prog/TmpRead/mine.txt", "mine");
    open(1);

    QTest::mouseClick(control<QPushButton>("cmdRead"), Qt::LeftButton);
    EXPECT_TRUE(m_window->isVisible());

    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));
    QTest::mouseClick(control<QPushButton>("cmdRead"), Qt::LeftButton);
    EXPECT_EQ(m_fakes.dialogs.questions().size(), 1u);
    EXPECT_EQ(readFile(path("prog/TmpRead/mine.txt")), "mine");
    EXPECT_TRUE(m_window->isVisible());

    m_fakes.dialogs.chooseFolderAnswer(core::tmpReadFolder(m_program));
    m_fakes.dialogs.answerYes();
    QTest::mouseClick(control<QPushButton>("cmdRead"), Qt::LeftButton);
    EXPECT_EQ(m_fakes.archiver.commands().size(), 2u);
    EXPECT_EQ(m_fakes.dialogs.messages().back().title, "つむぎ君：　保存ファイルのコピー");
    EXPECT_FALSE(m_window->isVisible());
}

} // namespace
} // namespace fernhold::test
