#pragma once
// Runs archive commands off the window thread so the window stays painted and the clock keeps
// ticking: the command runs on a worker thread while a nested event loop turns; when it takes
// longer than kProgressDelay a modal progress window appears. Blocks the caller until done.

#include "core/common/archive_runner.h"

#include <chrono>

namespace ui {

class QtArchiveRunner final : public core::ArchiveRunner {
public:
    static constexpr std::chrono::milliseconds kProgressDelay{500};

    // inner does the work (on the worker thread); it must outlive this runner.
    explicit QtArchiveRunner(core::ArchiveRunner& inner) : m_inner(inner) {}

    core::archive::ArchiveResult run(const core::archive::UnlhaCommand& command,
                                     const core::archive::ArchiveOptions& options) override;

private:
    core::ArchiveRunner& m_inner;
};

} // namespace ui
