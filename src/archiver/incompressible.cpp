#include "archiver/incompressible.h"

#include <array>
#include <cmath>
#include <cstring>

namespace archiver {
namespace {

struct Signature {
    std::size_t offset;
    const char* bytes;
    std::size_t length;
};

// Formats whose content is compressed already.
constexpr Signature kSignatures[] = {
    {0, "\x89PNG", 4},
    {0, "\xFF\xD8\xFF", 3},
    {0, "GIF8", 4},
    {0, "PK\x03\x04", 4},
    {0, "\x1F\x8B", 2},
    {0, "BZh", 3},
    {0,
     "\xFD"
     "7zXZ",
     5},
    {0, "7z\xBC\xAF\x27\x1C", 6},
    {0, "\x28\xB5\x2F\xFD", 4},
    {0, "Rar!", 4},
    {0, "OggS", 4},
    {0, "fLaC", 4},
    {0, "ID3", 3},
    {4, "ftyp", 4},
    {0, "MSCF", 4},
    {8, "WEBP", 4},
};

// Samples shorter than this say too little about the rest of the file.
constexpr std::size_t kMinimumSample = 4096;

} // namespace

bool looksIncompressible(const std::uint8_t* data, std::size_t size)
{
    for (const Signature& s : kSignatures) {
        if (size >= s.offset + s.length && std::memcmp(data + s.offset, s.bytes, s.length) == 0)
            return true;
    }
    if (size < kMinimumSample)
        return false;
    std::array<std::size_t, 256> counts{};
    for (std::size_t i = 0; i < size; ++i)
        ++counts[data[i]];
    double entropy = 0;
    for (std::size_t count : counts) {
        if (count > 0) {
            const double p = static_cast<double>(count) / static_cast<double>(size);
            entropy -= p * std::log2(p);
        }
    }
    // Random bytes fall short of 8 bits per byte by about 255 / (2 n ln 2) in a sample of n; allow
    // three times that. Text and program files sit far lower.
    const double shortfall = 3.0 * 255.0 / (2.0 * static_cast<double>(size) * std::log(2.0));
    return entropy > 8.0 - shortfall;
}

} // namespace archiver
