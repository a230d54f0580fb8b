#include "ui/qt_archive_runner.h"

#include "ui/progress_window.h"

#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace ui {

core::archive::ArchiveResult QtArchiveRunner::run(const core::archive::UnlhaCommand& command,
                                                  const core::archive::ArchiveOptions& options)
{
    ProgressWindow progress;
    ProgressWindow* progressOnUi = &progress;
    QEventLoop loop;

    core::archive::ArchiveOptions workerOptions = options;
    const auto callerProgress = options.onProgress;
    workerOptions.onProgress = [callerProgress, progressOnUi](std::uint64_t done, std::uint64_t total,
                                                              const std::string& member) {
        if (callerProgress)
            callerProgress(done, total, member);
        const QString memberText = QString::fromStdString(member);
        // Widgets belong to the window thread: hand the figures over to it. A call still queued
        // when the window is gone is dropped with it.
        QMetaObject::invokeMethod(
            progressOnUi,
            [progressOnUi, done, total, memberText] { progressOnUi->showProgress(done, total, memberText); },
            Qt::QueuedConnection);
    };

    const auto callerFilePacked = options.onFilePacked;
    workerOptions.onFilePacked = [callerFilePacked, progressOnUi](bool carried) {
        if (callerFilePacked)
            callerFilePacked(carried);
        QMetaObject::invokeMethod(
            progressOnUi, [progressOnUi, carried] { progressOnUi->countFile(carried); }, Qt::QueuedConnection);
    };

    core::archive::ArchiveResult result;
    std::thread worker([&] {
        result = m_inner.run(command, workerOptions);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &progress, &QWidget::show);
    showLater.start(kProgressDelay);

    // Clicks wait until the command is done, so no second command can start meanwhile; timer
    // ticks and painting go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    showLater.stop();
    progress.hide();

    return result;
}

} // namespace ui
