#pragma once
// How the core runs one archive command. The plain runner calls the archiver on the calling
// thread; the window's runner moves it to a worker thread and shows a progress window meanwhile.

#include "core/archive/archive_entry.h"

namespace core {

class ArchiveRunner {
public:
    virtual ~ArchiveRunner() = default;
    // Runs the command to completion and returns what the archiver reported.
    virtual archive::ArchiveResult run(const archive::UnlhaCommand& command,
                                       const archive::ArchiveOptions& options) = 0;
};

class DirectArchiveRunner final : public ArchiveRunner {
public:
    archive::ArchiveResult run(const archive::UnlhaCommand& command, const archive::ArchiveOptions& options) override
    {
        return archive::runArchive(command, options);
    }
};

} // namespace core
