#pragma once
// Builds the history of every slot on a worker thread, so the window stays responsive and the
// main window's clock keeps ticking meanwhile. One build at a time; the result and the progress
// come back on the thread that owns the loader.

#include "core/find/history_index.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace ui {

class HistoryLoader final : public QObject {
public:
    using Ready = std::function<void(std::unique_ptr<core::find::HistoryIndex>)>;
    using Progress = std::function<void(int slotsDone, int slotCount)>;

    HistoryLoader(Ready ready, Progress progress, QObject* parent = nullptr);
    // Stops a build still running (it ends after the slot at hand) and waits for it.
    ~HistoryLoader() override;

    // Starts a build of these slots; nothing happens while one is running.
    void start(std::vector<core::find::SlotSource> sources);

private:
    Ready m_ready;
    Progress m_progress;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};

} // namespace ui
