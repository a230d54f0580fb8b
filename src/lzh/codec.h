#pragma once
// The compression methods of one LZH member's data: -lh0- (stored) and the static-Huffman LZSS
// family -lh4- .. -lh7-, written and read; the older methods of other archivers (-lh1-, -lhx-,
// LArc's -lzs-, -lz5-, -lz4-) read only. Both directions stream in chunks; neither ever holds a
// whole member. The bitstream as we write and read it is described in docs/lzh-codec.md.

#include "base/status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace lzh {

// Lh1 and the ones after it can only be read.
enum class Method { Lh0, Lh4, Lh5, Lh6, Lh7, Lhd, Lh1, Lhx, Lzs, Lz5, Lz4 };
inline constexpr std::size_t kMethodCount = 11;

// Receives output bytes; returns false to stop the work (a write failed or the call was cancelled).
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;
// Fills buffer with up to capacity bytes; returns the count, 0 at the end of the input, or -1 on a
// read error.
using ByteSource = std::function<std::ptrdiff_t(std::uint8_t* buffer, std::size_t capacity)>;

// CRC-16/ARC as LZH uses it (reflected 0x8005, initial 0): pass the previous value to continue.
std::uint16_t crc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size);
// The CRC of two pieces of data one after the other, from the CRC of each and the second's size.
std::uint16_t crc16Combine(std::uint16_t first, std::uint16_t second, std::uint64_t secondSize);

// Effort of the encoder: Fast is the default for backups, Best trades speed for size. Rough
// figures for -lh7- on text (the first 20 MB of the benchmark's big.txt), single thread, CPU
// time: Fast about 1.5x gzip -6's speed at 0.96x its size, Normal 1.2x at 0.93x, Best 0.2x at
// 0.89x (bench/codec/codec_bench prints the current ones).
enum class Effort { Fast, Normal, Best };

// Compresses one member with -lh4- .. -lh7- (-lh0- passes the data through). The stream follows
// the writer profile every reader accepts: complete codes, constant trees where one symbol is
// used, blocks of 1..65535 tokens, no tiny last block, no match before the data or farther than
// the window - 1, the last byte padded with zero bits. An empty member gives 0 bytes; the
// container stores members below 8 compressed bytes as -lh0-. Memory: about 1.1 MiB for -lh7-,
// allocated in the constructor, and for Best up to 1.2 MiB more as its match lists grow; buffers
// are reused across members by reset().
class Encoder {
public:
    explicit Encoder(Method method, Effort effort = Effort::Fast);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Starts a new member (the window starts empty). Also clears a Cancelled state.
    void reset();
    // Starts a stream that goes on from history, the bytes just before it in the same member:
    // they are not coded again, but matches may reach back into them. This is how the parts of one
    // large file are packed on several threads, their streams joined bit to bit (compressedBits).
    void resetAfter(const std::uint8_t* history, std::size_t size);
    // Takes the next bytes of the member; compressed bytes reach sink in pieces of about 64 KiB.
    // Cancelled when the sink returned false (then every later call until reset() is Cancelled).
    base::Status write(const std::uint8_t* data, std::size_t size, const ByteSink& sink);
    // Codes what is left and pads the last byte with zero bits. Call reset() before the next member.
    base::Status finish(const ByteSink& sink);
    // Compressed bytes of the member so far (after finish(): its exact packed size).
    std::uint64_t compressedSize() const;
    // After finish(): the stream's length in bits, the last byte's zero padding left out.
    std::uint64_t compressedBits() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Decodes one member of any supported method. Reads at most packedSize bytes from source and
// delivers exactly originalSize bytes to sink, or fails with Corrupt (malformed or truncated
// stream, a reference before the start of the data, a bad Huffman table), IoError (the source
// returned -1) or Cancelled (the sink returned false). On failure some bytes may already have
// reached the sink. It does not check the CRC: the container does, over what the sink received.
// Stops at originalSize without reading the rest of packedSize. Memory: about 300 KiB for -lh7-,
// 1.1 MiB for -lhx- (its 512 KiB window), under 100 KiB for the others.
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
