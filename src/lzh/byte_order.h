#pragma once
// Little-endian fields of LZH headers.

#include <cstddef>
#include <cstdint>
#include <string>

namespace lzh {

inline std::uint16_t readU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t readU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t readU64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(readU32(p)) | (static_cast<std::uint64_t>(readU32(p + 4)) << 32);
}

inline void putU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void putU32(std::uint8_t* p, std::uint32_t v)
{
    putU16(p, static_cast<std::uint16_t>(v));
    putU16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

inline void putU64(std::uint8_t* p, std::uint64_t v)
{
    putU32(p, static_cast<std::uint32_t>(v));
    putU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline void appendU16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

inline void appendU32(std::string& out, std::uint32_t v)
{
    appendU16(out, static_cast<std::uint16_t>(v));
    appendU16(out, static_cast<std::uint16_t>(v >> 16));
}

inline void appendU64(std::string& out, std::uint64_t v)
{
    appendU32(out, static_cast<std::uint32_t>(v));
    appendU32(out, static_cast<std::uint32_t>(v >> 32));
}

} // namespace lzh
