#pragma once
// How the core runs one archive command. The plain runner calls Unlha on the calling thread;
// the window's runner moves it to a worker thread and shows a progress window meanwhile.

#include "core/archive/unlha.h"

#include <string>

namespace core {

class ArchiveRunner {
public:
    virtual ~ArchiveRunner() = default;
    // Runs the command to completion and returns Unlha's code; message receives its text.
    virtual int run(const std::string& command, std::string* message, const archive::UnlhaOptions& options) = 0;
};

class DirectArchiveRunner final : public ArchiveRunner {
public:
    int run(const std::string& command, std::string* message, const archive::UnlhaOptions& options) override;
};

} // namespace core
