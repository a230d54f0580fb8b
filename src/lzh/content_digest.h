#pragma once
// The digest of a file's content that a member's record keeps: SHA-256 of the whole for a file
// packed in one piece; for one packed in parts, SHA-256 of the parts' SHA-256s in order, so the
// threads packing the parts each hash their own. The cuts depend only on the file's size, so the
// digest of the same content always comes out the same.

#include "lzh/sha256.h"

#include <cstdint>
#include <vector>

namespace lzh {

Sha256Digest combinePartDigests(const std::vector<Sha256Digest>& parts);

// Hashes content read front to back. partEnds: where each part but the last ends (none for a
// file in one piece); the last part takes whatever follows.
class ContentHasher {
public:
    explicit ContentHasher(std::vector<std::uint64_t> partEnds = {});
    void update(const std::uint8_t* data, std::size_t size);
    Sha256Digest finish();

private:
    std::vector<std::uint64_t> m_partEnds;
    std::vector<Sha256Digest> m_done;
    Sha256 m_part;
    std::uint64_t m_offset = 0;
};

} // namespace lzh
