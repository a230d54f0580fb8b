#include "support/fake_archive_runner.h"
#include "ui/qt_archive_runner.h"
#include "ui/qt_dialogs.h"
#include "window_helpers.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using fernhold::test::child;
using fernhold::test::whenModalOpens;

// Qt's own button texts come from its Japanese catalogue, whatever the locale; the core's CR
// breaks lines.
TEST(QtDialogs, QuestionsHaveJapaneseYesAndNoAndGoAheadOnlyOnYes)
{
    ui::QtDialogs dialogs;
    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        QStringList shown;
        whenModalOpens([&shown, answer](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            QStringList buttons;
            for (QAbstractButton* button : box->buttons())
                buttons << button->text().remove(QLatin1Char('&'));
            buttons.sort();
            shown << box->windowTitle() << box->text() << buttons << QString::number(box->icon());
            box->button(answer)->click();
        });
        EXPECT_EQ(dialogs.ask("つむぎ君", "一行目\r二行目"), answer == QMessageBox::Yes);
        EXPECT_EQ(shown, (QStringList{"つむぎ君", "一行目\n二行目", "いいえ(N)", "はい(Y)", "0"}));
    }
}

// Reports one step of progress and three files packed, then takes its time.
class SlowRunner final : public core::ArchiveRunner {
public:
    core::archive::ArchiveResult run(const core::archive::UnlhaCommand&,
                                     const core::archive::ArchiveOptions& options) override
    {
        thread = std::this_thread::get_id();
        options.onProgress(50, 100, "docs/a.txt");
        for (bool carried : {true, false, true})
            options.onFilePacked(carried);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return fernhold::test::memberFailures(2);
    }
    std::thread::id thread;
};

// Timers go on while a long command runs (the one below among them), and the window shows how far
// it is.
TEST(QtArchiveRunner, ALongCommandRunsOffTheWindowThreadWithAProgressWindowWhileTimersGoOn)
{
    SlowRunner inner;
    ui::QtArchiveRunner runner(inner);
    QStringList shown;
    QTimer::singleShot(1000, [&] {
        if (QWidget* window = fernhold::test::visibleWindow("frmProgress"))
            shown << child<QLabel>(window, "lblMember")->text() << child<QLabel>(window, "lblCounts")->text()
                  << QString::number(child<QProgressBar>(window, "barProgress")->value());
    });
    std::string callerMember;
    core::archive::ArchiveOptions options;
    options.onProgress = [&](std::uint64_t, std::uint64_t, const std::string& member) { callerMember = member; };

    EXPECT_EQ(runner.run(fernhold::test::commandOf("a a.lzh src"), options).memberFailures.size(), 2u);
    EXPECT_NE(inner.thread, std::this_thread::get_id());
    EXPECT_EQ(shown, (QStringList{"docs/a.txt", "圧縮 1 件　変更なしで引き継ぎ 2 件", "500"}));
    EXPECT_EQ(callerMember, "docs/a.txt");
    EXPECT_EQ(fernhold::test::visibleWindow("frmProgress"), nullptr);
}

} // namespace
