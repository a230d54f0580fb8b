// CRC-16/ARC by slicing-by-16: sixteen tables (8 KiB) let one step fold sixteen input bytes, which
// keeps the CRC well below the cost of decoding (docs/lzh-codec.md, "CRC"). Against slicing-by-8
// it took 9 % of `unlha t` instead of 14 %.

#include "lzh/codec.h"

#include <array>
#include <cstring>

namespace lzh {
namespace {

// The reflected polynomial 0x8005.
constexpr std::uint16_t kPolynomial = 0xA001;

using CrcTables = std::array<std::array<std::uint16_t, 256>, 16>;

constexpr CrcTables makeTables()
{
    CrcTables t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc >> 1) ^ ((crc & 1) ? kPolynomial : 0));
        t[0][i] = crc;
    }
    // t[k][i]: the CRC of byte i followed by k zero bytes.
    for (unsigned k = 1; k < 16; ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<std::uint16_t>(t[0][t[k - 1][i] & 0xFF] ^ (t[k - 1][i] >> 8));
    return t;
}

constexpr CrcTables kTables = makeTables();

} // namespace

std::uint16_t crc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size)
{
    const auto& t = kTables;
    while (size >= 16) {
        const unsigned b0 = data[0] ^ (crc & 0xFF);
        const unsigned b1 = data[1] ^ (crc >> 8);
        crc = static_cast<std::uint16_t>(t[15][b0] ^ t[14][b1] ^ t[13][data[2]] ^ t[12][data[3]] ^ t[11][data[4]] ^
                                         t[10][data[5]] ^ t[9][data[6]] ^ t[8][data[7]] ^ t[7][data[8]] ^
                                         t[6][data[9]] ^ t[5][data[10]] ^ t[4][data[11]] ^ t[3][data[12]] ^
                                         t[2][data[13]] ^ t[1][data[14]] ^ t[0][data[15]]);
        data += 16;
        size -= 16;
    }
    while (size-- > 0)
        crc = static_cast<std::uint16_t>(t[0][(crc ^ *data++) & 0xFF] ^ (crc >> 8));
    return crc;
}

namespace {

// A linear map of the 16-bit register: entry b is the image of bit b.
using RegisterMap = std::array<std::uint16_t, 16>;

std::uint16_t mapped(const RegisterMap& map, std::uint16_t value)
{
    std::uint16_t result = 0;
    for (int bit = 0; value != 0; ++bit, value >>= 1)
        if (value & 1)
            result ^= map[bit];
    return result;
}

// first after second
RegisterMap compose(const RegisterMap& first, const RegisterMap& second)
{
    RegisterMap result{};
    for (int bit = 0; bit < 16; ++bit)
        result[bit] = mapped(first, second[bit]);
    return result;
}

} // namespace

std::uint16_t crc16Combine(std::uint16_t first, std::uint16_t second, std::uint64_t secondSize)
{
    // The CRC is linear and starts from 0, so the result is the first CRC carried through as many
    // zero bytes as the second piece holds, plus the second CRC. Carrying through n zero bytes is
    // a linear map, applied by squaring: a few microseconds for any size.
    RegisterMap zeroByte{};
    for (int bit = 0; bit < 16; ++bit) {
        std::uint16_t value = static_cast<std::uint16_t>(1u << bit);
        for (int step = 0; step < 8; ++step)
            value = static_cast<std::uint16_t>((value >> 1) ^ ((value & 1) ? kPolynomial : 0));
        zeroByte[bit] = value;
    }
    std::uint16_t crc = first;
    for (RegisterMap map = zeroByte; secondSize != 0; secondSize >>= 1, map = compose(map, map))
        if (secondSize & 1)
            crc = mapped(map, crc);
    return static_cast<std::uint16_t>(crc ^ second);
}

} // namespace lzh
