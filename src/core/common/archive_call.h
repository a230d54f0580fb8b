#pragma once
// The one way the core runs an archive command: the command line it built is parsed once and the
// typed command handed to the runner, with the program marked busy meanwhile.

#include "core/common/archive_runner.h"

#include <string>

namespace core {

// Raises the busy flag (AppState::archiveBusy) for as long as it lives and puts back what was
// there, so nested calls stay correct: a tick that arrives meanwhile (the progress window keeps
// events flowing) only sets the title.
class ArchiveBusyGuard {
public:
    explicit ArchiveBusyGuard(bool& busy) : m_busy(busy), m_wasBusy(busy) { m_busy = true; }
    ~ArchiveBusyGuard() { m_busy = m_wasBusy; }
    ArchiveBusyGuard(const ArchiveBusyGuard&) = delete;
    ArchiveBusyGuard& operator=(const ArchiveBusyGuard&) = delete;

private:
    bool& m_busy;
    bool m_wasBusy;
};

// Blocks until the archiver is done. A line that does not parse (a path holding '"') runs nothing
// and comes back as InvalidArgument.
archive::ArchiveResult runArchiveCommand(bool& busy, ArchiveRunner& archiver, const std::string& line,
                                         const archive::ArchiveOptions& options = {});

} // namespace core
