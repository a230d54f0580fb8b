// Streaming encoder: LZSS parse with hash chains and lazy matching (or, for Best, binary trees and
// a priced parse), tokens gathered into blocks of static Huffman trees (docs/lzh-codec.md,
// "Encoding").

#include "lzh/codec.h"

#include "lzh/codec/bit_writer.h"
#include "lzh/codec/block_splitter.h"
#include "lzh/codec/block_writer.h"
#include "lzh/codec/match_finder.h"
#include "lzh/codec/method_params.h"
#include "lzh/codec/price_parser.h"
#include "lzh/codec/tree_finder.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace lzh {
namespace {

using codec::kMaxMatch;

// How hard the parser looks for matches at each effort.
struct EffortParams {
    int maxChain;   // candidates tried per search (for Best, positions met going down a tree)
    int niceLength; // a match this long is taken without looking further, in bytes
    int lazyLength; // a match this long is taken without trying the next position, in bytes
    int goodLength; // with a match this long, the lazy search tries a quarter of the chain
    bool priced;    // the cheapest parse by estimated bits instead of lazy matching
};

EffortParams effortParams(Effort effort)
{
    switch (effort) {
    case Effort::Fast:
        return {12, 48, 12, 8, false};
    case Effort::Normal:
        return {32, 128, 32, 16, false};
    case Effort::Best:
        return {14, 128, kMaxMatch, 64, true};
    }
    return {12, 48, 12, 8, false};
}

// New input taken per slide of the window, in bytes: large, so the window moves rarely.
constexpr std::uint32_t kInputArea = 256 * 1024;
// Bytes kept unparsed at the end of the input until more arrives, so no match is cut short by
// a chunk boundary: a full match at the next position plus the 8-byte compare overrun.
constexpr std::uint32_t kLookahead = kMaxMatch + 16;
// Bytes past the end of the data that compares and hashes may read.
constexpr std::uint32_t kReadSlack = kMaxMatch + 16;
// Compressed bytes gathered before they go to the sink.
constexpr std::size_t kOutputChunk = 64 * 1024;
// Input the priced parse judges at once, in bytes.
constexpr int kPricedStretch = 16384;
// A match this long is taken by the priced parse without searching the positions it covers. Lower
// is faster and larger: on the documents benchmark 32 instead of 48 costs 0.3 % of size.
constexpr int kPricedLongMatch = 48;
// Of the positions a long match covers, every this many goes into the trees. Inserting is a
// descent as long as a search; with all of them in, the same size took 7 % more time (shallower
// searches paying for it), and with none, the archive grew by 1 %. Every fourth instead of every
// third: 3 % less time for 0.08 % of size.
constexpr int kPricedInsertStep = 4;
// Positions are 32-bit; well before they wrap, all stored positions are lowered.
constexpr std::uint32_t kRebaseAt = 0xF000'0000u;

codec::MethodParams paramsOf(Method method)
{
    codec::MethodParams params{};
    codec::methodParams(method, params);
    return params;
}

base::Status cancelled()
{
    return base::Status::error(base::ErrorCode::Cancelled, "output stopped");
}

} // namespace

struct Encoder::Impl {
    Impl(Method m, Effort e);

    void reset();
    bool parse(std::uint32_t end, const ByteSink& sink);
    bool parseLazy(std::uint32_t end, const ByteSink& sink);
    bool parsePriced(std::uint32_t end, const ByteSink& sink);
    // Called after every token, so the common case (the chunk is not full) stays inline.
    bool addedToken(const ByteSink& sink)
    {
        return blocks.tokenCount() - splitter.blockTokens() < codec::BlockSplitter::kChunkTokens || chunkFilled(sink);
    }
    bool chunkFilled(const ByteSink& sink);
    bool deliver(const ByteSink& sink, bool all);
    void slideWindow();

    bool stored = false;        // -lh0-: the data passes through unchanged
    codec::MethodParams params; // window and position alphabet of the method
    EffortParams effort;
    std::uint32_t window = 0;         // history kept for matches, in bytes
    std::vector<std::uint8_t> buffer; // window history + input area + read slack
    std::uint32_t bufStart = 0;       // position of buffer[0]
    std::uint32_t dataEnd = 0;        // position just past the last input byte
    std::uint32_t pos = 0;            // next position to parse
    codec::Match pending;             // match already found at pendingPos by a lazy look-ahead
    std::uint32_t pendingPos = 0;
    codec::MatchFinder finder;             // the lazy parse's
    std::optional<codec::TreeFinder> tree; // the priced parse's
    codec::BlockWriter blocks;
    codec::BlockSplitter splitter;
    codec::PriceParser prices;
    std::vector<codec::Match> stretchMatches; // the matches found in a stretch, position by position
    std::vector<int> stretchFirst;            // where each position's matches start in stretchMatches
    std::vector<codec::Match> stretchTokens;
    codec::BitWriter out;
    std::uint64_t delivered = 0; // bytes handed to the sink for this member
    int padBits = 0;             // zero bits finish() added to fill the last byte
    bool failed = false;         // the sink refused bytes
};

Encoder::Impl::Impl(Method m, Effort e)
    : stored(paramsOf(m).dictBits == 0), params(paramsOf(m)), effort(effortParams(e)),
      window(stored ? 1u : params.windowSize()), finder(window), blocks(params), prices(params)
{
    if (effort.priced)
        tree.emplace(window);
    if (!stored)
        buffer.assign(window + kInputArea + kReadSlack, 0);
    reset();
}

void Encoder::Impl::reset()
{
    bufStart = dataEnd = pos = tree ? tree->startMember() : finder.startMember();
    pending = {};
    pendingPos = 0;
    out.reset();
    blocks.clear();
    splitter.reset();
    prices.reset();
    delivered = 0;
    padBits = 0;
    failed = false;
}

bool Encoder::Impl::deliver(const ByteSink& sink, bool all)
{
    auto& bytes = out.bytes();
    if (bytes.empty() || (!all && bytes.size() < kOutputChunk))
        return true;
    if (!sink(bytes.data(), bytes.size()))
        return false;
    delivered += bytes.size();
    bytes.clear();
    return true;
}

bool Encoder::Impl::chunkFilled(const ByteSink& sink)
{
    const int blockTokens = splitter.blockTokens();
    if (!splitter.startsNewBlock(blocks.symbols() + blockTokens, blocks.positions() + blockTokens,
                                 codec::BlockSplitter::kChunkTokens))
        return true;
    blocks.writeBlock(blockTokens, out);
    out.flushBits(false);
    return deliver(sink, false);
}

bool Encoder::Impl::parse(std::uint32_t end, const ByteSink& sink)
{
    return effort.priced ? parsePriced(end, sink) : parseLazy(end, sink);
}

bool Encoder::Impl::parsePriced(std::uint32_t end, const ByteSink& sink)
{
    const std::uint8_t* const buf = buffer.data();
    constexpr auto room = static_cast<std::size_t>(codec::MatchFinder::kMostMatches);
    constexpr std::size_t most = kPricedStretch * room; // every position with all its matches
    stretchFirst.resize(kPricedStretch + 1);
    // Until the input ends (end == dataEnd), only whole stretches are parsed: where a stretch
    // ends changes the parse, and it must not follow how the caller splits its writes.
    while (pos < end && (end - pos >= static_cast<std::uint32_t>(kPricedStretch) || end == dataEnd)) {
        const int count = static_cast<int>(std::min<std::uint32_t>(end - pos, kPricedStretch));
        int found = 0;
        for (int i = 0; i < count; ++i) {
            stretchFirst[i] = found;
            const auto need = static_cast<std::size_t>(found) + room;
            if (stretchMatches.size() < need)
                stretchMatches.resize(std::min(2 * need, most));
            const std::uint32_t at = pos + static_cast<std::uint32_t>(i);
            const int avail = static_cast<int>(std::min<std::uint32_t>(dataEnd - at, kMaxMatch + 1));
            const int n = tree->findAll(buf, bufStart, at, avail, effort.maxChain, effort.niceLength,
                                        stretchMatches.data() + found);
            found += n;
            // Inside a long match few other choices pay: those positions offer literals only and
            // are not searched, which keeps long repeats fast. Some still go into the trees, so
            // a later copy of the same bytes finds this one, nearer, within a step of its start.
            const int length = n > 0 ? stretchMatches[found - 1].length : 0;
            if (length >= kPricedLongMatch) {
                const int skip = std::min(length - 1, count - 1 - i);
                for (int j = 1; j <= skip; ++j)
                    stretchFirst[i + j] = found;
                tree->insertUpTo(buf, bufStart, at + static_cast<std::uint32_t>(skip) + 1, dataEnd, effort.maxChain,
                                 effort.niceLength, kPricedInsertStep);
                i += skip;
            }
        }
        stretchFirst[count] = found;
        prices.parse(buf + (pos - bufStart), stretchMatches.data(), stretchFirst.data(), count, stretchTokens);
        for (const codec::Match& token : stretchTokens) {
            if (token.length == 1)
                blocks.addLiteral(buf[pos - bufStart]);
            else
                blocks.addMatch(token.length, token.distance);
            pos += static_cast<std::uint32_t>(token.length);
            if (!addedToken(sink))
                return false;
        }
    }
    return true;
}

bool Encoder::Impl::parseLazy(std::uint32_t end, const ByteSink& sink)
{
    const std::uint8_t* const buf = buffer.data();
    const EffortParams& e = effort;
    while (pos < end) {
        const int avail = static_cast<int>(std::min<std::uint32_t>(dataEnd - pos, kMaxMatch + 1));
        codec::Match match = pendingPos == pos && pending.length != 0
                                 ? pending
                                 : finder.find(buf, bufStart, pos, avail, e.maxChain, e.niceLength, codec::kMinMatch);
        pending = {};
        if (match.length != 0 && match.length < e.lazyLength && avail > match.length) {
            // Lazy matching: a longer match one byte on wins over this one.
            const int chain = match.length >= e.goodLength ? e.maxChain / 4 : e.maxChain;
            const codec::Match next =
                finder.find(buf, bufStart, pos + 1, avail - 1, chain, e.niceLength, match.length + 1);
            if (next.length > match.length) {
                pending = next;
                pendingPos = pos + 1;
                match.length = 0;
            }
        }
        if (match.length == 0) {
            blocks.addLiteral(buf[pos - bufStart]);
            ++pos;
        } else {
            blocks.addMatch(match.length, match.distance);
            // Every position inside the match goes into the chains: skipping them costs several
            // per cent of size on binaries, where long matches overlap.
            finder.insertUpTo(buf, bufStart, pos + static_cast<std::uint32_t>(match.length));
            pos += static_cast<std::uint32_t>(match.length);
        }
        if (!addedToken(sink))
            return false;
    }
    return true;
}

void Encoder::Impl::slideWindow()
{
    // Keep one window of history before the parse position (and the unparsed rest after it).
    const std::uint32_t keepFrom = std::max(bufStart, pos > window ? pos - window : 0u);
    const std::uint32_t keep = dataEnd - keepFrom;
    std::memmove(buffer.data(), buffer.data() + (keepFrom - bufStart), keep);
    bufStart = keepFrom;
    if (dataEnd >= kRebaseAt) {
        const std::uint32_t delta = bufStart - (tree ? tree->firstPosition() : finder.firstPosition());
        if (tree)
            tree->rebase(delta);
        else
            finder.rebase(delta);
        bufStart -= delta;
        dataEnd -= delta;
        pos -= delta;
        pendingPos -= delta;
    }
}

Encoder::Encoder(Method method, Effort effort) : m_impl(std::make_unique<Impl>(method, effort)) {}
Encoder::~Encoder() = default;

void Encoder::reset()
{
    m_impl->reset();
}

void Encoder::resetAfter(const std::uint8_t* history, std::size_t size)
{
    Impl& d = *m_impl;
    d.reset();
    const std::size_t kept = std::min<std::size_t>(size, d.window);
    if (d.stored || kept == 0)
        return;
    std::memcpy(d.buffer.data(), history + (size - kept), kept);
    d.dataEnd = d.pos = d.bufStart + static_cast<std::uint32_t>(kept);
    if (d.tree) {
        // A tree orders a position by the bytes after it, so the last stretch of the history
        // waits for the data that follows; the first search inserts it.
        const std::uint32_t ready = d.dataEnd - std::min<std::uint32_t>(kLookahead, d.dataEnd - d.bufStart);
        d.tree->insertUpTo(d.buffer.data(), d.bufStart, ready, d.dataEnd, d.effort.maxChain, d.effort.niceLength, 1);
        return;
    }
    // The last three positions hash bytes that have not come yet; the first search adds them.
    d.finder.insertUpTo(d.buffer.data(), d.bufStart, d.dataEnd - std::min<std::uint32_t>(3, d.dataEnd - d.bufStart));
}

base::Status Encoder::write(const std::uint8_t* data, std::size_t size, const ByteSink& sink)
{
    Impl& d = *m_impl;
    if (d.failed)
        return cancelled();
    if (d.stored) {
        if (size > 0 && !sink(data, size)) {
            d.failed = true;
            return cancelled();
        }
        d.delivered += size;
        return base::Status::success();
    }
    const std::uint32_t capacity = d.window + kInputArea;
    while (size > 0) {
        if (d.dataEnd - d.bufStart == capacity)
            d.slideWindow();
        const std::uint32_t room = capacity - (d.dataEnd - d.bufStart);
        const std::uint32_t n = static_cast<std::uint32_t>(std::min<std::size_t>(size, room));
        std::memcpy(d.buffer.data() + (d.dataEnd - d.bufStart), data, n);
        d.dataEnd += n;
        data += n;
        size -= n;
        if (d.dataEnd - d.bufStart > kLookahead && !d.parse(d.dataEnd - kLookahead, sink)) {
            d.failed = true;
            return cancelled();
        }
    }
    return base::Status::success();
}

base::Status Encoder::finish(const ByteSink& sink)
{
    Impl& d = *m_impl;
    if (d.failed)
        return cancelled();
    if (d.stored)
        return base::Status::success();
    // Hashes and compares near the end read past the data: make that the same zeros every time,
    // not what an earlier member left, so the same file always packs to the same bytes.
    std::memset(d.buffer.data() + (d.dataEnd - d.bufStart), 0, kReadSlack);
    bool ok = d.parse(d.dataEnd, sink);
    // The splitter keeps blocks a chunk short of the limit, so the rest always fits in one, and
    // joining it to the block before means the last block is never a tiny one.
    if (ok && d.blocks.tokenCount() > 0)
        d.blocks.writeBlock(d.blocks.tokenCount(), d.out);
    d.out.flushBits(false);
    d.padBits = d.out.pendingBits() == 0 ? 0 : 8 - d.out.pendingBits();
    d.out.flushBits(true);
    if (!ok || !d.deliver(sink, true)) {
        d.failed = true;
        return cancelled();
    }
    return base::Status::success();
}

std::uint64_t Encoder::compressedSize() const
{
    return m_impl->delivered + m_impl->out.bytes().size();
}

std::uint64_t Encoder::compressedBits() const
{
    return compressedSize() * 8 - static_cast<std::uint64_t>(m_impl->padBits);
}

} // namespace lzh
