#include "support/fake_archive_runner.h"
#include "ui/qt_archive_runner.h"
#include "window_helpers.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using fernhold::test::child;

// An archive command that reports one step of progress and three files packed, then takes its
// time.
class SlowRunner final : public core::ArchiveRunner {
public:
    explicit SlowRunner(std::chrono::milliseconds duration) : m_duration(duration) {}
    core::archive::ArchiveResult run(const core::archive::UnlhaCommand&,
                                     const core::archive::ArchiveOptions& options) override
    {
        m_thread = std::this_thread::get_id();
        if (options.onProgress)
            options.onProgress(50, 100, "docs/a.txt");
        if (options.onFilePacked)
            for (bool carried : {true, false, true})
                options.onFilePacked(carried);
        std::this_thread::sleep_for(m_duration);
        return fernhold::test::memberFailures(2);
    }
    std::thread::id m_thread;

private:
    std::chrono::milliseconds m_duration;
};

QWidget* progressWindow()
{
    return fernhold::test::visibleWindow("frmProgress");
}

TEST(QtArchiveRunner, HandsBackTheResultOfAQuickCommandWithoutAWindow)
{
    fernhold::test::FakeArchiveRunner inner;
    inner.setResult(fernhold::test::archiveFailure(base::ErrorCode::Corrupt, "broken"));
    ui::QtArchiveRunner runner(inner);
    bool windowSeen = false;
    inner.setOnRun([&](const core::archive::UnlhaCommand&) { windowSeen = progressWindow() != nullptr; });

    const auto command = fernhold::test::commandOf("x -d1 -y1 \"a.lzh\" \"b/\"");
    const core::archive::ArchiveResult result = runner.run(command, {});
    EXPECT_EQ(result.archiveStatus.code(), base::ErrorCode::Corrupt);
    EXPECT_EQ(result.archiveStatus.detail(), "broken");
    EXPECT_EQ(inner.commands(), std::vector{command});
    EXPECT_FALSE(windowSeen);
    EXPECT_EQ(progressWindow(), nullptr);
}

TEST(QtArchiveRunner, ALongCommandRunsOffTheWindowThreadWithAProgressWindowWhileTimersGoOn)
{
    SlowRunner inner(std::chrono::milliseconds(1500));
    ui::QtArchiveRunner runner(inner);

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(100);

    QString memberShown;
    QString countsShown;
    int barShown = -1;
    QTimer::singleShot(1000, [&] {
        if (QWidget* window = progressWindow()) {
            memberShown = child<QLabel>(window, "lblMember")->text();
            countsShown = child<QLabel>(window, "lblCounts")->text();
            barShown = child<QProgressBar>(window, "barProgress")->value();
        }
    });
    std::string callerMember;
    core::archive::ArchiveOptions options;
    options.onProgress = [&](std::uint64_t, std::uint64_t, const std::string& member) { callerMember = member; };

    EXPECT_EQ(runner.run(fernhold::test::commandOf("a a.lzh src"), options).memberFailures.size(), 2u);

    EXPECT_NE(inner.m_thread, std::this_thread::get_id());
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(memberShown, QStringLiteral("docs/a.txt"));
    EXPECT_EQ(countsShown, QStringLiteral("圧縮 1 件　変更なしで引き継ぎ 2 件"));
    EXPECT_EQ(barShown, 500);
    EXPECT_EQ(callerMember, "docs/a.txt");
    EXPECT_EQ(progressWindow(), nullptr);
}

} // namespace
