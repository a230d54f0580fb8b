#pragma once
// History and output of the byte-at-a-time decoders (-lh1-, -lzs-, -lz5-): a ring of the method's
// window, which starts with fixed contents that matches may copy, and an output chunk handed to
// the sink as it fills.

#include "lzh/codec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzh::codec {

class RingOutput {
public:
    // ringSize: a power of two.
    RingOutput(std::size_t ringSize, const ByteSink& sink) : m_ring(ringSize), m_mask(ringSize - 1), m_sink(sink)
    {
        m_chunk.reserve(kChunkBytes);
    }

    // The ring, for the method to fill before the first byte; then the first write position.
    std::uint8_t* ring() { return m_ring.data(); }
    void startAt(std::size_t position) { m_pos = position & m_mask; }
    std::size_t position() const { return m_pos; }

    // False when the sink stopped the work.
    bool put(std::uint8_t byte)
    {
        m_ring[m_pos] = byte;
        m_pos = (m_pos + 1) & m_mask;
        m_chunk.push_back(byte);
        return m_chunk.size() < kChunkBytes || flush();
    }
    // Copies length bytes from ring position from on, one at a time: a copy may read what it wrote.
    bool copy(std::size_t from, std::size_t length)
    {
        for (std::size_t k = 0; k < length; ++k)
            if (!put(m_ring[(from + k) & m_mask]))
                return false;
        return true;
    }
    bool flush()
    {
        if (!m_chunk.empty() && !m_sink(m_chunk.data(), m_chunk.size()))
            return false;
        m_chunk.clear();
        return true;
    }

private:
    static constexpr std::size_t kChunkBytes = 64 * 1024;

    std::vector<std::uint8_t> m_ring;
    std::size_t m_mask;
    std::size_t m_pos = 0;
    const ByteSink& m_sink;
    std::vector<std::uint8_t> m_chunk;
};

} // namespace lzh::codec
