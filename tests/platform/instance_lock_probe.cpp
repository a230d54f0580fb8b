// The other process of the instance lock's tests. "ask FOLDER": exit 0 when the lock is held
// elsewhere and the holder was asked to show itself, 1 when the lock was free, 2 when the request
// went nowhere. "hold FOLDER": takes the lock and ends without letting go, as a crash would.

#include "platform/instance_lock.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 64;
    platform::InstanceLock lock(argv[2]);
    if (std::string(argv[1]) == "hold")
        std::_Exit(lock.heldElsewhere() ? 3 : 0);
    if (!lock.heldElsewhere())
        return 1;
    return lock.requestShow() ? 0 : 2;
}
