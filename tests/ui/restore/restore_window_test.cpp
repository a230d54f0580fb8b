#include "ui/restore/restore_window.h"

#include "core/restore/restore_fixture.h"
#include "core/restore/restore_messages.h"

#include <QComboBox>
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
    void open(int returnMode)
    {
        m_state.ReturnMode = static_cast<std::int16_t>(returnMode);
        m_window = std::make_unique<ui::RestoreWindow>(m_state, m_fakes.services);
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    template <typename T> T* control(const char* name) const { return m_window->findChild<T*>(name); }
    QListWidget* dir1() const { return control<QListWidget>("Dir1"); }
    QString dir1Folder() const { return dir1()->currentItem()->data(Qt::UserRole).toString(); }

    // Opens a folder in Dir1 as a person would: pick its entry and press Enter.
    void openInDir1(const std::string& folder)
    {
        int row = 0;
        while (row < dir1()->count() && dir1()->item(row)->data(Qt::UserRole).toString() != q(folder))
            ++row;
        ASSERT_LT(row, dir1()->count()) << folder;
        dir1()->setCurrentRow(row);
        QTest::keyClick(dir1(), Qt::Key_Return);
    }

    QString title(const char* mode, const char* slot) const
    {
        const char sep = platform::kSeparator;
        return q(std::string("..") + sep + "prog" + sep + mode + sep + slot);
    }

    void click(const char* button) { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }

    std::unique_ptr<ui::RestoreWindow> m_window;
};

TEST_F(RestoreWindowTest, TheEntryListAndDir1MoveTheSlotTheFolderListsAndTheTitle)
{
    writeFile(core::archivePathInSlot(core::monthSlotPath(m_program, 5)), "lzh");
    open(0);
    EXPECT_EQ(m_window->windowTitle(), title("MonthBack", "mback01"));
    control<QComboBox>("cmb01")->setCurrentIndex(4);
    EXPECT_EQ(dir1Folder(), q(core::monthSlotPath(m_program, 5)));
    ASSERT_EQ(control<QListWidget>("File1")->count(), 1);
    EXPECT_EQ(control<QListWidget>("File1")->item(0)->text(), "BackUp.lzh");
    EXPECT_EQ(m_window->windowTitle(), title("MonthBack", "mback05"));

    // Opening a slot folder in Dir1 selects that entry, of the window's own mode.
    open(1);
    openInDir1(m_program);
    openInDir1(core::monthBackFolder(m_program));
    openInDir1(core::monthSlotPath(m_program, 12));
    EXPECT_EQ(control<QComboBox>("cmb01")->currentIndex(), 12);
    EXPECT_EQ(dir1Folder(), q(core::daySlotPath(m_program, 12)));
    EXPECT_EQ(m_window->windowTitle(), title("DayBack", "hback12"));
}

// Each button asks its own question (the copy, before clearing a folder with files); No leaves
// the window open and runs nothing, Yes runs and closes it.
TEST_F(RestoreWindowTest, RestoreAndCopyRunOnlyAfterAYesAndThenClose)
{
    writeFile(core::archivePathInSlot(core::daySlotPath(m_program, 0)), "lzh");
    put("into/mine.txt", "mine");
    const std::pair<const char*, std::string> buttons[] = {{"cmdReload", core::restore::restoreTitle()},
                                                           {"cmdRead", core::restore::copyTitle()}};
    for (const auto& [button, title] : buttons) {
        open(1);
        for (const bool yes : {false, true}) {
            const std::size_t runs = m_fakes.archiver.commands().size();
            if (button == std::string("cmdRead"))
                m_fakes.dialogs.chooseFolderAnswer(path("into"));
            yes ? m_fakes.dialogs.answerYes() : m_fakes.dialogs.answerNo();
            click(button);
            EXPECT_EQ(m_fakes.dialogs.questions().back().title, title);
            EXPECT_EQ(m_fakes.archiver.commands().size() > runs, yes) << button;
            EXPECT_EQ(m_window->isVisible(), !yes) << button;
        }
    }
}

} // namespace
} // namespace fernhold::test
