#pragma once
// Helpers shared by the codec tests: whole-buffer encode/decode over the streaming API and
// seeded test data.

#include "lzh/codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace lzh::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes encodeAll(Encoder& encoder, const Bytes& data)
{
    Bytes out;
    const ByteSink sink = [&out](const std::uint8_t* p, std::size_t n) {
        out.insert(out.end(), p, p + n);
        return true;
    };
    if (!encoder.write(data.data(), data.size(), sink).ok() || !encoder.finish(sink).ok())
        return {};
    return out;
}

inline Bytes encodeAll(Method method, Effort effort, const Bytes& data)
{
    Encoder encoder(method, effort);
    return encodeAll(encoder, data);
}

// A source over a byte buffer that gives at most `piece` bytes per call.
inline ByteSource sourceOver(const Bytes& packed, std::size_t& offset, std::size_t piece = 1 << 20)
{
    return [&packed, &offset, piece](std::uint8_t* buffer, std::size_t capacity) -> std::ptrdiff_t {
        const std::size_t n = std::min({capacity, piece, packed.size() - offset});
        std::copy_n(packed.data() + offset, n, buffer);
        offset += n;
        return static_cast<std::ptrdiff_t>(n);
    };
}

struct Decoded {
    base::Status status;
    Bytes data;
    std::size_t bytesRead = 0; // how much the decoder took from the source
};

inline Decoded decodeAll(Method method, const Bytes& packed, std::uint64_t originalSize)
{
    Decoded result;
    std::size_t offset = 0;
    Decoder decoder(method);
    result.status = decoder.decode(sourceOver(packed, offset), packed.size(), originalSize,
                                   [&result](const std::uint8_t* p, std::size_t n) {
                                       result.data.insert(result.data.end(), p, p + n);
                                       return true;
                                   });
    result.bytesRead = offset;
    return result;
}

// packed decodes as method to exactly `expected`, taking every packed byte.
inline void expectDecodes(Method method, const Bytes& packed, const Bytes& expected)
{
    const Decoded decoded = decodeAll(method, packed, expected.size());
    ASSERT_TRUE(decoded.status.ok()) << decoded.status.detail();
    EXPECT_TRUE(decoded.data == expected);
    EXPECT_EQ(decoded.bytesRead, packed.size());
}

inline Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Text-like data: words from a small vocabulary, so matches of many lengths and distances occur.
inline Bytes textLike(std::size_t size, unsigned seed)
{
    static const char* const kWords[] = {"backup", "archive", "folder", "the",  "of",     "generation", "slot",
                                         "\n",     "setup",   "a",      "file", "month",  "day",        "restore",
                                         "data",   "and",     "to",     "in",   "window", "member"};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const char* w = kWords[rng() % std::size(kWords)];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
        out.push_back(rng() % 7 == 0 ? ',' : ' ');
        if (rng() % 50 == 0)
            out.push_back(static_cast<std::uint8_t>(rng()));
    }
    out.resize(size);
    return out;
}

inline Bytes randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

} // namespace lzh::test
