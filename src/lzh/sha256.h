#pragma once
// SHA-256 (FIPS 180-4), for the records that let a later pack prove a file and its packed bytes
// unchanged. Uses the processor's SHA instructions where it has them.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lzh {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    // Portable: the plain rounds even where the SHA instructions exist (their test).
    enum class Engine { Fastest, Portable };
    explicit Sha256(Engine engine = Engine::Fastest);
    void update(const void* data, std::size_t size);
    // The digest of everything given; the object starts over afterwards.
    Sha256Digest finish();

private:
    void compress(const std::uint8_t* blocks, std::size_t count);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_pending{};
    std::size_t m_pendingSize = 0;
    std::uint64_t m_total = 0;
    Engine m_engine;
};

Sha256Digest sha256(const void* data, std::size_t size);

} // namespace lzh
