#pragma once
// A cheap look at the start of a file to tell data that will not shrink (already compressed
// formats, random bytes), so it is stored without a full compression attempt.

#include <cstddef>
#include <cstdint>

namespace archiver {

bool looksIncompressible(const std::uint8_t* data, std::size_t size);

} // namespace archiver
