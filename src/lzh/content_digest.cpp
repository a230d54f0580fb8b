#include "lzh/content_digest.h"

#include <algorithm>

namespace lzh {

Sha256Digest combinePartDigests(const std::vector<Sha256Digest>& parts)
{
    if (parts.size() == 1)
        return parts.front();
    Sha256 hash;
    for (const Sha256Digest& part : parts)
        hash.update(part.data(), part.size());
    return hash.finish();
}

ContentHasher::ContentHasher(std::vector<std::uint64_t> partEnds) : m_partEnds(std::move(partEnds)) {}

void ContentHasher::update(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        std::size_t take = size;
        if (m_done.size() < m_partEnds.size())
            take = static_cast<std::size_t>(std::min<std::uint64_t>(size, m_partEnds[m_done.size()] - m_offset));
        m_part.update(data, take);
        m_offset += take;
        data += take;
        size -= take;
        if (m_done.size() < m_partEnds.size() && m_offset == m_partEnds[m_done.size()])
            m_done.push_back(m_part.finish());
    }
}

Sha256Digest ContentHasher::finish()
{
    // A file shorter than planned still has its parts, some of them empty.
    while (m_done.size() < m_partEnds.size())
        m_done.push_back(m_part.finish());
    m_done.push_back(m_part.finish());
    Sha256Digest digest = combinePartDigests(m_done);
    m_done.clear();
    m_offset = 0;
    return digest;
}

} // namespace lzh
