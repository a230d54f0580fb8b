#pragma once
// The compression methods of one LZH member's data: -lh0- (stored) and the static-Huffman LZSS
// family -lh4- .. -lh7-. Both directions stream in chunks; neither ever holds a whole member.
// The bitstream is described in docs/lzh-format.md.

#include "base/status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace lzh {

enum class Method { Lh0, Lh4, Lh5, Lh6, Lh7, Lhd };

// Receives output bytes; returns false to stop the work (a write failed or the call was cancelled).
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;
// Fills buffer with up to capacity bytes; returns the count, 0 at the end of the input, or -1 on a
// read error.
using ByteSource = std::function<std::ptrdiff_t(std::uint8_t* buffer, std::size_t capacity)>;

// CRC-16/ARC as LZH uses it (reflected 0x8005, initial 0): pass the previous value to continue.
std::uint16_t crc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size);

// Effort of the encoder: Fast is the default for backups, Best trades speed for size.
enum class Effort { Fast, Normal, Best };

// Compresses one member with -lh5-, -lh6- or -lh7-. Buffers are sized once and reused across
// members by reset().
class Encoder {
public:
    Encoder(Method method, Effort effort);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Starts a new member (the window starts empty).
    void reset();
    base::Status write(const std::uint8_t* data, std::size_t size, const ByteSink& sink);
    // Codes what is left and pads the last byte with zero bits.
    base::Status finish(const ByteSink& sink);
    std::uint64_t compressedSize() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Decodes one member of any supported method. Reads at most packedSize bytes from source and
// delivers exactly originalSize bytes to sink, or fails with Corrupt (malformed or truncated
// stream, a reference before the start of the data, a bad Huffman table) or IoError.
class Decoder {
public:
    explicit Decoder(Method method);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    base::Status decode(const ByteSource& source, std::uint64_t packedSize, std::uint64_t originalSize,
                        const ByteSink& sink);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace lzh
