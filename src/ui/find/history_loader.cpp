#include "ui/find/history_loader.h"

#include <QMetaObject>

namespace ui {

HistoryLoader::HistoryLoader(Ready ready, Progress progress, QObject* parent)
    : QObject(parent), m_ready(std::move(ready)), m_progress(std::move(progress))
{
}

HistoryLoader::~HistoryLoader()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void HistoryLoader::start(std::vector<core::find::SlotSource> sources)
{
    if (m_worker.joinable())
        return;
    m_worker = std::thread([this, sources = std::move(sources)]() mutable {
        auto onProgress = [this](int done, int count) {
            QMetaObject::invokeMethod(
                this, [this, done, count] { m_progress(done, count); }, Qt::QueuedConnection);
        };
        auto index = std::make_shared<core::find::HistoryIndex>(
            core::find::HistoryIndex::build(std::move(sources), &m_cancel, onProgress));
        // Handed over on the loader's thread; a call still queued when the loader is gone is
        // dropped with it, and the index with the call.
        QMetaObject::invokeMethod(
            this,
            [this, index] {
                m_worker.join();
                m_ready(std::make_unique<core::find::HistoryIndex>(std::move(*index)));
            },
            Qt::QueuedConnection);
    });
}

} // namespace ui
