#include "platform/disk_space.h"

#include "platform/file_io.h"

#include <sys/statvfs.h>

namespace platform {

base::Result<VolumeSpace> volumeSpace(const std::string& utf8Path)
{
    struct statvfs info {};
    if (::statvfs(utf8Path.c_str(), &info) != 0)
        return lastSystemError(utf8Path);
    // f_bavail leaves out the blocks kept for the super-user, which an ordinary user cannot fill.
    const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    return VolumeSpace{static_cast<std::uint64_t>(info.f_bavail) * unit, unit};
}

} // namespace platform
