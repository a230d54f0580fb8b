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

// An archive command that reports one step of progress and then takes its time.
class SlowRunner final : public core::ArchiveRunner {
public:
    explicit SlowRunner(std::chrono::milliseconds duration) : m_duration(duration) {}
    int run(const std::string&, std::string* message, const core::archive::UnlhaOptions& options) override
    {
        m_thread = std::this_thread::get_id();
        if (options.progress.onProgress)
            options.progress.onProgress(50, 100, "docs/a.txt");
        std::this_thread::sleep_for(m_duration);
        *message = "done";
        return core::archive::kUnlhaPartial;
    }
    std::thread::id m_thread;

private:
    std::chrono::milliseconds m_duration;
};

QWidget* progressWindow()
{
    return fernhold::test::visibleWindow("frmProgress");
}

TEST(QtArchiveRunner, HandsBackTheCodeAndMessageOfAQuickCommandWithoutAWindow)
{
    fernhold::test::FakeArchiveRunner inner;
    inner.setResult(core::archive::kUnlhaArchiveCorrupt, "broken");
    ui::QtArchiveRunner runner(inner);
    bool windowSeen = false;
    inner.setOnRun([&](const std::string&) { windowSeen = progressWindow() != nullptr; });

    std::string message;
    EXPECT_EQ(runner.run("x -d1 -y1 \"a.lzh\" \"b/\"", &message, {}), core::archive::kUnlhaArchiveCorrupt);
    EXPECT_EQ(message, "broken");
    EXPECT_EQ(inner.commands(), std::vector<std::string>{"x -d1 -y1 \"a.lzh\" \"b/\""});
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
    int barShown = -1;
    QTimer::singleShot(1000, [&] {
        if (QWidget* window = progressWindow()) {
            memberShown = child<QLabel>(window, "lblMember")->text();
            barShown = child<QProgressBar>(window, "barProgress")->value();
        }
    });
    std::string callerMember;
    core::archive::UnlhaOptions options;
    options.progress.onProgress = [&](std::uint64_t, std::uint64_t, const std::string& member) {
        callerMember = member;
    };

    std::string message;
    EXPECT_EQ(runner.run("a", &message, options), core::archive::kUnlhaPartial);

    EXPECT_EQ(message, "done");
    EXPECT_NE(inner.m_thread, std::this_thread::get_id());
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(memberShown, QStringLiteral("docs/a.txt"));
    EXPECT_EQ(barShown, 500);
    EXPECT_EQ(callerMember, "docs/a.txt");
    EXPECT_EQ(progressWindow(), nullptr);
}

} // namespace
