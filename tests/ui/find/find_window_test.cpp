// The find window over real archives in the slots.

#include "ui/find/find_window.h"

#include "core/archive/unlha.h"
#include "core/restore/restore_fixture.h"

#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace fernhold::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMemo = "data/docs/メモ.txt";

class FindWindowTest : public RestoreFixture {
protected:
    // mback01 holds the first memo and a picture; hback00 the second memo, an hour newer.
    FindWindowTest()
    {
        QImage dot(4, 3, QImage::Format_RGB32);
        dot.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        dot.save(&buffer, "PNG");
        put("data/pics/dot.png", png.toStdString());
        backUp("first memo", 2, core::monthSlotPath(m_program, 1), m_state.setup.MonthBackDate[0], 9);
        backUp("second memo, longer", 1, core::daySlotPath(m_program, 0), m_state.setup.DayBackDate[0], 14);
    }

    // The memo, modified `age` hours ago so the versions' order is known, packed into the slot
    // stamped at `hour`.
    void backUp(const std::string& memo, int age, const std::string& slot, core::DateTime& stamp, int hour)
    {
        put(kMemo, memo);
        fs::last_write_time(platform::toPath(path(kMemo)), fs::file_time_type::clock::now() - std::chrono::hours(age));
        const std::string command = "a -d1 -y1 -h2 -jm2 \"" + core::archivePathInSlot(slot) + "\" \"" + m_protected +
                                    platform::kSeparator + "\"";
        char message[256];
        ASSERT_EQ(core::archive::Unlha(nullptr, command.c_str(), message, sizeof message), core::archive::kUnlhaOk)
            << message;
        stamp = core::DateTime::fromCivil({2026, 12, 6, hour, 0, 0});
    }

    void open()
    {
        m_window = std::make_unique<ui::FindWindow>(m_state, m_fakes.services);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->historyReady(); }, 10000));
    }

    template <typename T> T* control(const char* name) const { return m_window->findChild<T*>(name); }
    QTreeWidget* list(const char* name) const { return control<QTreeWidget>(name); }
    void pick(const char* name, int row) { list(name)->setCurrentItem(list(name)->topLevelItem(row)); }
    // Types part of a name and picks the first file found.
    void find(const QString& part)
    {
        control<QLineEdit>("txtFind")->setText(part);
        pick("lstFiles", 0);
    }
    // The protected folder's top in the tree, or its folder `child` (docs, pics).
    void pickFolder(int child)
    {
        QTreeWidgetItem* top = list("treeFolders")->topLevelItem(0);
        list("treeFolders")->setCurrentItem(child < 0 ? top : top->child(child));
    }

    QString preview() const { return control<QPlainTextEdit>("txtPreview")->toPlainText(); }

    std::unique_ptr<ui::FindWindow> m_window;
};

TEST_F(FindWindowTest, FindsByKanaListsVersionsPreviewsThemAndFollowsABackup)
{
    open();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("つむぎ君：　ファイルを探して復元"));
    find(QStringLiteral("めも")); // hiragana finds the katakana name
    EXPECT_EQ(list("lstFiles")->topLevelItem(0)->text(0), QStringLiteral("docs/メモ.txt"));
    ASSERT_EQ(list("lstVersions")->topLevelItemCount(), 2);
    EXPECT_TRUE(list("lstVersions")->topLevelItem(0)->text(2).contains(QStringLiteral("14:00:00")));
    EXPECT_EQ(preview(), QStringLiteral("second memo, longer"));
    pick("lstVersions", 1);
    EXPECT_EQ(preview(), QStringLiteral("first memo"));
    makeFolder(path("elsewhere"));
    m_fakes.dialogs.chooseFolderAnswer(path("elsewhere"));
    control<QPushButton>("cmdSaveTo")->click();
    EXPECT_EQ(readFile(path("elsewhere/メモ.txt")), "first memo");

    // A search keeps to the folder chosen in the tree.
    pickFolder(1);
    EXPECT_EQ(list("lstFiles")->topLevelItemCount(), 0);
    control<QLineEdit>("txtFind")->clear(); // no name: the files in the folder itself
    pick("lstFiles", 0);
    EXPECT_EQ(control<QStackedWidget>("picPreview")->currentWidget()->objectName(), "imgPreview");
    EXPECT_FALSE(control<QLabel>("imgPreview")->pixmap().isNull());

    // A backup's new slot is read again once the main window tells of it.
    const core::SetupRecord before = m_state.setup;
    backUp("third", 0, core::daySlotPath(m_program, 1), m_state.setup.DayBackDate[1], 15);
    m_window->slotsWritten(before);
    pickFolder(-1);
    find(QStringLiteral("メモ"));
    EXPECT_EQ(list("lstVersions")->topLevelItemCount(), 3);
}

// A changed file, alone or in its folder of the chosen generation, is replaced only after a Yes;
// the folder's other files stay.
TEST_F(FindWindowTest, ReplacesAChangedFileOrItsWholeFolderOnlyAfterAYes)
{
    put("data/docs/added.txt", "kept");
    open();
    for (const char* button : {"cmdRestore", "cmdRestoreFolder"}) {
        SCOPED_TRACE(button);
        put(kMemo, "changed since");
        if (button == std::string("cmdRestore")) {
            find(QStringLiteral("メモ"));
            pick("lstVersions", 1);
        } else {
            pickFolder(0);
            control<QComboBox>("cmbGeneration")->setCurrentIndex(1); // newest first
        }
        m_fakes.dialogs.answerNo();
        control<QPushButton>(button)->click();
        EXPECT_EQ(m_fakes.dialogs.questions().back().title, "つむぎ君：　ファイルを探して復元");
        EXPECT_EQ(readFile(path(kMemo)), "changed since");
        m_fakes.dialogs.answerYes();
        control<QPushButton>(button)->click();
        EXPECT_EQ(readFile(path(kMemo)), "first memo");
        EXPECT_EQ(readFile(path("data/docs/added.txt")), "kept");
    }
    EXPECT_EQ(m_fakes.dialogs.questions().size(), 4u);
}

} // namespace
} // namespace fernhold::test
