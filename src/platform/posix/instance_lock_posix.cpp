// The lock is an flock on a file in the program folder, which the kernel drops with the process.
// Requests travel through a FIFO beside it: a path of any length works there, unlike a local
// socket's, and the holder polls it without blocking.
#include "platform/instance_lock.h"

#include "platform/paths.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kLockName = ".fernhold.lock";
constexpr const char* kRequestName = ".fernhold.show";
constexpr int kRequestTries = 20;
constexpr auto kRequestPause = std::chrono::milliseconds(50);

// Opens path only when it is a FIFO: a file put in its place must not be read as requests.
int openFifo(const std::string& path, int mode)
{
    const int fd = ::open(path.c_str(), mode | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// Writes one byte without the SIGPIPE a holder closing at that moment would raise.
void sendByte(int fd)
{
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    const char request = 1;
    // A full FIFO already holds a request, which is all the holder needs.
    [[maybe_unused]] const ssize_t written = ::write(fd, &request, 1);
    ::sigaction(SIGPIPE, &previous, nullptr);
}

} // namespace

struct InstanceLock::Handles {
    int lock = -1;
    int requests = -1;
};

InstanceLock::InstanceLock(const std::string& folder) : m_handles(std::make_unique<Handles>()), m_folder(folder)
{
    // O_CLOEXEC: a browser started for the help pages must not inherit, and so keep, the lock.
    const int fd = ::open(joinPath(folder, kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    m_handles->lock = fd;

    // Without the FIFO (a file system that has none) the lock still keeps a second start out.
    const std::string requests = joinPath(folder, kRequestName);
    if (::mkfifo(requests.c_str(), 0600) != 0 && errno != EEXIST)
        return;
    m_handles->requests = openFifo(requests, O_RDONLY);
}

InstanceLock::~InstanceLock()
{
    if (m_handles->requests >= 0)
        ::close(m_handles->requests);
    if (m_handles->lock >= 0)
        ::close(m_handles->lock);
}

bool InstanceLock::requestShow() const
{
    const std::string requests = joinPath(m_folder, kRequestName);
    for (int attempt = 0; attempt < kRequestTries; ++attempt) {
        const int fd = openFifo(requests, O_WRONLY);
        if (fd >= 0) {
            sendByte(fd);
            ::close(fd);
            return true;
        }
        // No FIFO yet, or nobody reading it yet: the holder may be just starting.
        if (errno != ENOENT && errno != ENXIO)
            return false;
        std::this_thread::sleep_for(kRequestPause);
    }
    return false;
}

bool InstanceLock::takeShowRequest()
{
    if (m_handles->requests < 0)
        return false;
    bool requested = false;
    char buffer[64];
    while (::read(m_handles->requests, buffer, sizeof buffer) > 0)
        requested = true;
    return requested;
}

} // namespace platform
