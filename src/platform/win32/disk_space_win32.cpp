#include "platform/disk_space.h"

#include "platform/file_io.h"
#include "platform/win32/long_path.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace platform {
namespace {

// NTFS's usual cluster, taken when the volume will not tell its own.
constexpr std::uint64_t kUsualCluster = 4096;

// The cluster size is asked of the volume's root, the only path GetDiskFreeSpaceW is sure to take.
std::uint64_t clusterSize(const std::wstring& path)
{
    std::vector<wchar_t> root(std::max<std::size_t>(path.size() + 2, MAX_PATH + 1));
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return kUsualCluster;
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (!GetDiskFreeSpaceW(root.data(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return kUsualCluster;
    const std::uint64_t size = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    return size != 0 ? size : kUsualCluster;
}

} // namespace

base::Result<VolumeSpace> volumeSpace(const std::string& utf8Path)
{
    const std::wstring path = win32::extendedPath(win32::toWide(utf8Path));
    // The bytes available to the caller: what disk quotas leave this user, not the volume's total.
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr))
        return lastSystemError(utf8Path);
    return VolumeSpace{available.QuadPart, clusterSize(path)};
}

} // namespace platform
