#pragma once
// How much room a volume has left, so that work which first deletes and then writes can be
// refused before it deletes anything.

#include "base/status.h"

#include <cstdint>
#include <string>

namespace platform {

struct VolumeSpace {
    std::uint64_t freeBytes = 0; // what this user may still write (quotas and reserved blocks counted)
    std::uint64_t blockSize = 0; // the unit files are allocated in; every file takes whole ones
};

// The volume that holds the folder `utf8Path`, which must exist.
base::Result<VolumeSpace> volumeSpace(const std::string& utf8Path);

// What a file of `size` bytes takes on a volume of `blockSize` blocks.
inline std::uint64_t allocatedSize(std::uint64_t size, std::uint64_t blockSize)
{
    return blockSize <= 1 ? size : (size + blockSize - 1) / blockSize * blockSize;
}

} // namespace platform
