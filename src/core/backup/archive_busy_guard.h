#pragma once

#include "core/app_state.h"

namespace core {

// Marks the program busy with an archive command for as long as it lives, so a tick that arrives
// meanwhile (the progress window keeps events flowing) only sets the title.
class ArchiveBusyGuard {
public:
    explicit ArchiveBusyGuard(AppState& state) : m_state(state), m_wasBusy(state.archiveBusy)
    {
        m_state.archiveBusy = true;
    }
    ~ArchiveBusyGuard() { m_state.archiveBusy = m_wasBusy; }
    ArchiveBusyGuard(const ArchiveBusyGuard&) = delete;
    ArchiveBusyGuard& operator=(const ArchiveBusyGuard&) = delete;

private:
    AppState& m_state;
    bool m_wasBusy;
};

} // namespace core
