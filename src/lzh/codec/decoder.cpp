// Decoder for -lh0-, -lhd- and the static-Huffman methods -lh4- .. -lh7- and -lhx-; the older
// methods have a file each (classic_decoders.h). The stream is untrusted: every field read from
// it passes a check that ends the member with Corrupt, and the bit reader never takes more than
// packedSize bytes (docs/lzh-codec.md, "Decoding").

#include "lzh/codec.h"

#include "lzh/codec/bit_reader.h"
#include "lzh/codec/classic_decoders.h"
#include "lzh/codec/decode_checks.h"
#include "lzh/codec/huffman_table.h"
#include "lzh/codec/method_params.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lzh {
namespace {

using codec::BitReader;
using codec::cancelled;
using codec::HuffmanTable;

// Output gathered before it goes to the sink, in bytes, on top of the window kept for matches.
constexpr std::size_t kOutputChunk = 64 * 1024;
// Spare bytes after the output area: one match of 256 bytes copied in 8-byte steps may write up to
// 7 bytes past its end.
constexpr std::size_t kCopySlack = codec::kMaxMatch + 8;
// Primary lookup widths, in bits: 11 bits resolve nearly every literal/length code of text in one
// step while the table (8 KiB) stays in L1; position and pre-tree codes are short.
constexpr int kLitPrimaryBits = 11;
constexpr int kPosPrimaryBits = 8;
constexpr int kPrePrimaryBits = 7;

} // namespace

struct Decoder::Impl {
    explicit Impl(Method m) : method(m) { isHuffman = codec::readParams(m, params); }

    base::Status decodeStored(const ByteSource& source, std::uint64_t packedSize, std::uint64_t originalSize,
                              const ByteSink& sink);
    base::Status decodeHuffman(const ByteSource& source, std::uint64_t packedSize, std::uint64_t originalSize,
                               const ByteSink& sink);
    base::Status readBlockHeader(BitReader& in, std::uint32_t& tokens);
    base::Status readPtLengths(BitReader& in, HuffmanTable& table, int numSymbols, int countBits, int skipAfter);
    base::Status readLitLengths(BitReader& in);

    Method method;
    bool isHuffman = false;       // -lh4- .. -lh7- or -lhx-
    codec::MethodParams params{}; // window and position alphabet of the method
    // History (one window) + an output chunk + copy slack; allocated on first use, then reused
    // for every member this decoder reads.
    std::vector<std::uint8_t> buffer;
    // The current block's three codes: the pre-tree codes the literal tree's lengths, the literal
    // tree bytes and match lengths, the position tree distance classes.
    HuffmanTable preTree{codec::kNumPreSymbols, kPrePrimaryBits};
    HuffmanTable litTree{codec::kNumLitSymbols, kLitPrimaryBits};
    HuffmanTable posTree{codec::kMaxReadPosSymbols, kPosPrimaryBits};
    // Code lengths being read for the current block's tree.
    std::uint8_t lengths[codec::kNumLitSymbols] = {};
};

Decoder::Decoder(Method method) : m_impl(std::make_unique<Impl>(method)) {}
Decoder::~Decoder() = default;

base::Status Decoder::decode(const ByteSource& source, std::uint64_t packedSize, std::uint64_t originalSize,
                             const ByteSink& sink)
{
    if (m_impl->isHuffman)
        return m_impl->decodeHuffman(source, packedSize, originalSize, sink);
    switch (m_impl->method) {
    case Method::Lhd:
        if (originalSize != 0)
            return base::Status::error(base::ErrorCode::Corrupt, "directory entry with data");
        return base::Status::success();
    case Method::Lh1:
    case Method::Lzs:
    case Method::Lz5: {
        BitReader in(source, packedSize);
        const auto decode = m_impl->method == Method::Lh1   ? codec::decodeLh1
                            : m_impl->method == Method::Lzs ? codec::decodeLzs
                                                            : codec::decodeLz5;
        return decode(in, originalSize, sink);
    }
    default:
        return m_impl->decodeStored(source, packedSize, originalSize, sink);
    }
}

base::Status Decoder::Impl::decodeStored(const ByteSource& source, std::uint64_t packedSize, std::uint64_t originalSize,
                                         const ByteSink& sink)
{
    if (packedSize != originalSize)
        return base::Status::error(base::ErrorCode::Corrupt, "stored member with differing sizes");
    buffer.resize(kOutputChunk);
    std::uint64_t left = originalSize;
    while (left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        const std::ptrdiff_t got = source(buffer.data(), want);
        if (got < 0 || static_cast<std::size_t>(got) > want)
            return base::Status::error(base::ErrorCode::IoError, "read error in stored data");
        if (got == 0)
            return base::Status::error(base::ErrorCode::Corrupt, "stored data cut short");
        if (!sink(buffer.data(), static_cast<std::size_t>(got)))
            return cancelled();
        left -= static_cast<std::uint64_t>(got);
    }
    return base::Status::success();
}

base::Status Decoder::Impl::readPtLengths(BitReader& in, HuffmanTable& table, int numSymbols, int countBits,
                                          int skipAfter)
{
    const int n = static_cast<int>(in.bits(countBits));
    if (n == 0) {
        const int symbol = static_cast<int>(in.bits(countBits));
        LZH_CHECK(in, symbol < numSymbols, "constant tree symbol out of range");
        table.buildConstant(symbol);
        return base::Status::success();
    }
    LZH_CHECK(in, n <= numSymbols, "tree with more lengths than symbols");
    std::memset(lengths, 0, static_cast<std::size_t>(numSymbols));
    int i = 0;
    while (i < n) {
        in.refill();
        int length = static_cast<int>(in.peek(3));
        in.consume(3);
        if (length == 7) {
            // Unary extension: each 1 bit adds one; 9 of them reach the longest length, 16.
            while (in.peek(1) == 1) {
                in.consume(1);
                ++length;
                LZH_CHECK(in, length <= codec::kMaxCodeLength, "code length above 16");
            }
            in.consume(1);
        }
        lengths[i++] = static_cast<std::uint8_t>(length);
        if (i == skipAfter) {
            const int zeros = static_cast<int>(in.bits(2));
            LZH_CHECK(in, zeros <= n - i, "zero run past the tree's length count");
            i += zeros;
        }
    }
    LZH_CHECK(in, !in.overrun(), "compressed data cut short");
    LZH_CHECK(in, table.build(lengths, numSymbols), "incomplete or oversubscribed Huffman code");
    return base::Status::success();
}

base::Status Decoder::Impl::readLitLengths(BitReader& in)
{
    const int n = static_cast<int>(in.bits(codec::kLitCountBits));
    if (n == 0) {
        const int symbol = static_cast<int>(in.bits(codec::kLitCountBits));
        LZH_CHECK(in, symbol < codec::kNumLitSymbols, "constant tree symbol out of range");
        litTree.buildConstant(symbol);
        return base::Status::success();
    }
    LZH_CHECK(in, n <= codec::kNumLitSymbols, "tree with more lengths than symbols");
    std::memset(lengths, 0, sizeof lengths);
    int i = 0;
    while (i < n) {
        in.refill();
        const int item = preTree.decode(in);
        if (item > 2) {
            lengths[i++] = static_cast<std::uint8_t>(item - 2);
            continue;
        }
        // Runs of zero lengths: 1, 3..18 (4-bit count) or 20..531 (9-bit count).
        const int run = item == 0   ? 1
                        : item == 1 ? static_cast<int>(in.bits(4)) + 3
                                    : static_cast<int>(in.bits(9)) + 20;
        LZH_CHECK(in, run <= n - i, "zero run past the tree's length count");
        i += run;
    }
    LZH_CHECK(in, !in.overrun(), "compressed data cut short");
    LZH_CHECK(in, litTree.build(lengths, codec::kNumLitSymbols), "incomplete or oversubscribed Huffman code");
    return base::Status::success();
}

base::Status Decoder::Impl::readBlockHeader(BitReader& in, std::uint32_t& tokens)
{
    tokens = in.bits(16);
    LZH_CHECK(in, tokens != 0, "block with no tokens");
    if (auto s = readPtLengths(in, preTree, codec::kNumPreSymbols, codec::kPreCountBits, codec::kPreSkipAfter); !s.ok())
        return s;
    if (auto s = readLitLengths(in); !s.ok())
        return s;
    return readPtLengths(in, posTree, params.numPosSymbols, params.posCountBits, -1);
}

base::Status Decoder::Impl::decodeHuffman(const ByteSource& source, std::uint64_t packedSize,
                                          std::uint64_t originalSize, const ByteSink& sink)
{
    const std::size_t window = params.windowSize();
    const std::size_t flushAt = window + kOutputChunk;
    buffer.resize(flushAt + kCopySlack);
    std::uint8_t* const buf = buffer.data();

    BitReader in(source, packedSize);
    std::size_t out = 0;       // next write position in buf
    std::size_t delivered = 0; // bytes of buf before this already went to the sink
    std::uint64_t left = originalSize;
    std::uint32_t tokensLeft = 0; // tokens still to come in the current block

    while (left > 0) {
        if (tokensLeft == 0) {
            if (auto s = readBlockHeader(in, tokensLeft); !s.ok())
                return s;
        }
        --tokensLeft;
        in.refill();
        const int symbol = litTree.decode(in);
        if (symbol < 256) {
            buf[out++] = static_cast<std::uint8_t>(symbol);
            --left;
        } else {
            const std::size_t length = static_cast<std::size_t>(symbol) - (256 - codec::kMinMatch);
            const int posClass = posTree.decode(in);
            std::size_t distance = 1;
            if (posClass >= 1) {
                // Class k holds distances-1 of bit length k: the top bit is implied, k-1 bits follow.
                const int extra = posClass - 1;
                distance += (std::size_t{1} << extra);
                if (extra > 0) {
                    distance += in.peek(extra);
                    in.consume(extra);
                }
            }
            LZH_CHECK(in, distance <= out, "match before the start of the data");
            LZH_CHECK(in, distance <= window, "match beyond the window");
            LZH_CHECK(in, length <= left, "match past the end of the data");
            std::uint8_t* dst = buf + out;
            const std::uint8_t* src = dst - distance;
            if (distance >= 8) {
                std::uint8_t* const end = dst + length;
                do {
                    std::memcpy(dst, src, 8);
                    dst += 8;
                    src += 8;
                } while (dst < end);
            } else if (distance == 1) {
                std::memset(dst, *src, length);
            } else {
                for (std::size_t k = 0; k < length; ++k)
                    dst[k] = src[k];
            }
            out += length;
            left -= length;
        }
        LZH_CHECK(in, !in.overrun(), "compressed data cut short");
        if (out >= flushAt) {
            if (!sink(buf + delivered, out - delivered))
                return cancelled();
            // Keep one window of history at the front for later matches.
            std::memmove(buf, buf + out - window, window);
            out = delivered = window;
        }
    }
    if (out > delivered && !sink(buf + delivered, out - delivered))
        return cancelled();
    return base::Status::success();
}

} // namespace lzh
