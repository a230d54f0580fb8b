#include "lzh/codec/bit_reader.h"

#include <algorithm>

namespace lzh::codec {

BitReader::BitReader(const ByteSource& source, std::uint64_t packedSize)
    : m_source(source), m_packedLeft(packedSize),
      m_buffer(static_cast<std::size_t>(std::min<std::uint64_t>(packedSize, kChunkBytes)))
{
    m_pos = m_end = m_buffer.data();
}

bool BitReader::fetch()
{
    if (m_packedLeft == 0 || m_readFailed)
        return false;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_packedLeft, m_buffer.size()));
    const std::ptrdiff_t got = m_source(m_buffer.data(), want);
    if (got < 0 || static_cast<std::size_t>(got) > want) {
        m_readFailed = true;
        return false;
    }
    if (got == 0) {
        // The source ended before the member did: treat the rest as missing.
        m_packedLeft = 0;
        return false;
    }
    m_packedLeft -= static_cast<std::uint64_t>(got);
    m_pos = m_buffer.data();
    m_end = m_pos + got;
    return true;
}

void BitReader::refillSlow()
{
    while (m_bitCount <= kMinBits) {
        if (m_pos == m_end && !fetch()) {
            // Past the member: zero bits, counted so that overrun() can tell.
            m_bitCount += 8;
            m_padBits += 8;
            continue;
        }
        m_bits |= static_cast<std::uint64_t>(*m_pos++) << (56 - m_bitCount);
        m_bitCount += 8;
    }
}

} // namespace lzh::codec
