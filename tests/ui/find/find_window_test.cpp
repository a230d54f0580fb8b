// The find window over real archives in the slots: search, versions, preview, and bringing back
// one file over a changed one, in place of a deleted one and into another folder.

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

constexpr const char* kMemo = "docs/メモ.txt";

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
        putAged("data/docs/メモ.txt", "first memo", 2);
        pack(core::monthSlotPath(m_program, 1));
        m_state.setup.MonthBackDate[0] = core::DateTime::fromCivil({2026, 12, 1, 9, 0, 0});
        putAged("data/docs/メモ.txt", "second memo, longer", 1);
        pack(core::daySlotPath(m_program, 0));
        m_state.setup.DayBackDate[0] = core::DateTime::fromCivil({2026, 12, 6, 14, 0, 0});
    }

    // The file, modified `hours` hours ago, so the versions' order is known.
    void putAged(const std::string& relative, const std::string& bytes, int hours)
    {
        put(relative, bytes);
        fs::last_write_time(platform::toPath(path(relative)),
                            fs::file_time_type::clock::now() - std::chrono::hours(hours));
    }

    void pack(const std::string& slot)
    {
        const std::string command = "a -d1 -y1 -h2 -jm2 \"" + core::archivePathInSlot(slot) + "\" \"" + m_protected +
                                    platform::kSeparator + "\"";
        char message[256];
        ASSERT_EQ(core::archive::Unlha(nullptr, command.c_str(), message, sizeof message), core::archive::kUnlhaOk)
            << message;
    }

    void open()
    {
        m_window = new ui::FindWindow(m_state, m_fakes.services);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_window->historyReady(); }, 10000));
    }

    ~FindWindowTest() override { delete m_window; }

    template <typename T> T* control(const char* name) const
    {
        T* widget = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Types part of a name and picks the one file found.
    void find(const QString& part)
    {
        // As typed: Qt's key events carry ASCII only.
        control<QLineEdit>("txtFind")->setText(part);
        QTreeWidget* files = control<QTreeWidget>("lstFiles");
        ASSERT_EQ(files->topLevelItemCount(), 1) << part.toStdString();
        files->setCurrentItem(files->topLevelItem(0));
    }

    void pickVersion(int row)
    {
        QTreeWidget* versions = control<QTreeWidget>("lstVersions");
        ASSERT_LT(row, versions->topLevelItemCount());
        versions->setCurrentItem(versions->topLevelItem(row));
    }

    QWidget* shownPreview() const { return control<QStackedWidget>("picPreview")->currentWidget(); }

    ui::FindWindow* m_window = nullptr;
};

TEST_F(FindWindowTest, FindsByKanaListsVersionsNewestFirstAndPreviewsTextAndPicture)
{
    open();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("つむぎ君：　ファイルを探して復元"));
    // Hiragana finds the katakana name.
    find(QStringLiteral("めも"));
    QTreeWidgetItem* hit = control<QTreeWidget>("lstFiles")->topLevelItem(0);
    EXPECT_EQ(hit->text(0), QString::fromUtf8(kMemo));
    EXPECT_EQ(hit->text(1), QStringLiteral("2"));

    QTreeWidget* versions = control<QTreeWidget>("lstVersions");
    ASSERT_EQ(versions->topLevelItemCount(), 2);
    EXPECT_TRUE(versions->topLevelItem(0)->text(2).contains(QStringLiteral("14:00:00")));
    EXPECT_TRUE(versions->topLevelItem(1)->text(2).contains(QStringLiteral("9:00:00")));
    EXPECT_FALSE(control<QLabel>("lblCurrent")->text().isEmpty());
    EXPECT_EQ(shownPreview()->objectName().toStdString(), "txtPreview");
    EXPECT_EQ(control<QPlainTextEdit>("txtPreview")->toPlainText(), QStringLiteral("second memo, longer"));
    pickVersion(1);
    EXPECT_EQ(control<QPlainTextEdit>("txtPreview")->toPlainText(), QStringLiteral("first memo"));

    // A search keeps to the folder chosen in the tree.
    QTreeWidget* tree = control<QTreeWidget>("treeFolders");
    tree->setCurrentItem(tree->topLevelItem(0)->child(1)); // pics
    EXPECT_EQ(control<QTreeWidget>("lstFiles")->topLevelItemCount(), 0);
    tree->setCurrentItem(tree->topLevelItem(0));
    find(QStringLiteral("ＤＯＴ")); // full-width capitals find the half-width name
    EXPECT_EQ(shownPreview()->objectName().toStdString(), "imgPreview");
    EXPECT_FALSE(control<QLabel>("imgPreview")->pixmap().isNull());
}

// A changed file, alone or in its folder of the chosen generation, is replaced only after a Yes;
// the folder's other files stay.
TEST_F(FindWindowTest, ReplacesAChangedFileOrItsWholeFolderOnlyAfterAYes)
{
    put("data/docs/added.txt", "kept");
    open();
    for (const std::string button : {"cmdRestore", "cmdRestoreFolder"}) {
        SCOPED_TRACE(button);
        put("data/docs/メモ.txt", "changed since");
        if (button == "cmdRestore") {
            find(QStringLiteral("メモ"));
            pickVersion(1);
        } else {
            QTreeWidget* tree = control<QTreeWidget>("treeFolders");
            ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2); // docs, pics
            tree->setCurrentItem(tree->topLevelItem(0)->child(0));
            QComboBox* generations = control<QComboBox>("cmbGeneration");
            ASSERT_EQ(generations->count(), 2); // newest first
            generations->setCurrentIndex(1);
        }
        const std::size_t asked = m_fakes.dialogs.questions().size();
        const std::size_t told = m_fakes.dialogs.messages().size();
        m_fakes.dialogs.answerNo();
        control<QPushButton>(button.c_str())->click();
        ASSERT_EQ(m_fakes.dialogs.questions().size(), asked + 1);
        EXPECT_EQ(m_fakes.dialogs.questions().back().title, "つむぎ君：　ファイルを探して復元");
        EXPECT_EQ(readFile(path("data/docs/メモ.txt")), "changed since");
        EXPECT_EQ(m_fakes.dialogs.messages().size(), told);
        m_fakes.dialogs.answerYes();
        control<QPushButton>(button.c_str())->click();
        EXPECT_EQ(readFile(path("data/docs/メモ.txt")), "first memo");
        EXPECT_EQ(readFile(path("data/docs/added.txt")), "kept");
    }
    EXPECT_TRUE(isFile(path("data/pics/dot.png")));
}

TEST_F(FindWindowTest, BringsBackADeletedFileAndSavesAVersionIntoAnotherFolder)
{
    fs::remove(platform::toPath(path("data/docs/メモ.txt")));
    open();
    find(QStringLiteral("メモ"));
    control<QPushButton>("cmdRestore")->click();
    EXPECT_TRUE(m_fakes.dialogs.questions().empty());
    EXPECT_EQ(readFile(path("data/docs/メモ.txt")), "second memo, longer");

    makeFolder(path("elsewhere"));
    m_fakes.dialogs.chooseFolderAnswer(path("elsewhere"));
    pickVersion(1);
    control<QPushButton>("cmdSaveTo")->click();
    EXPECT_EQ(readFile(path("elsewhere/メモ.txt")), "first memo");
    EXPECT_EQ(readFile(path("data/docs/メモ.txt")), "second memo, longer");
}

TEST_F(FindWindowTest, ReadsASlotAgainWhenABackupWroteIt)
{
    open();
    const core::SetupRecord before = m_state.setup;
    putAged("data/docs/メモ.txt", "third", 0);
    pack(core::daySlotPath(m_program, 1));
    m_state.setup.DayBackDate[1] = core::DateTime::fromCivil({2026, 12, 6, 15, 0, 0});
    m_window->slotsWritten(before);
    find(QStringLiteral("メモ"));
    EXPECT_EQ(control<QTreeWidget>("lstVersions")->topLevelItemCount(), 3);
}

} // namespace
} // namespace fernhold::test
