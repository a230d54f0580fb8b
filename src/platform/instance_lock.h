#pragma once
// One running program per program folder: two would write the same slots and the same setup.def.
// The first start holds the folder's instance lock for as long as it runs, and the system drops
// it when the process ends, however it ends. A later start finds it held, asks the holder to
// bring its window forward, and ends.

#include <memory>
#include <string>

namespace platform {

class InstanceLock {
public:
    // Tries to take the lock of folder (UTF-8); never waits for it.
    explicit InstanceLock(const std::string& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Another process holds the lock. False as well when no lock could be made at all (a
    // read-only folder): the program then runs unguarded, and its start-up reports the folder.
    bool heldElsewhere() const { return m_heldElsewhere; }

    // For a later start: asks the holder to show itself. Waits up to about a second for a holder
    // that has the lock but is not yet listening; false when the request could not be delivered.
    bool requestShow() const;

    // For the holder: true when a request has arrived since the last call. Never blocks.
    bool takeShowRequest();

private:
    struct Handles;
    std::unique_ptr<Handles> m_handles;
    std::string m_folder;
    bool m_heldElsewhere = false;
};

} // namespace platform
