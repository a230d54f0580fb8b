#include "archiver/member_packer.h"

#include "archiver/file_parts.h"
#include "archiver/incompressible.h"
#include "lzh/content_digest.h"
#include "lzh/file_stream.h"
#include "lzh/sha256.h"
#include "platform/file_io.h"

#include <algorithm>

namespace archiver {
namespace {

// Shorter compressed streams trip one common reader, so they are stored instead.
constexpr std::uint64_t kMinimumPackedSize = 8;
// Members up to -lh5-'s window get the same matches under -lh5- as under -lh6-/-lh7-, and its
// smaller position alphabet makes the trees cheaper to send; every reader takes mixed methods.
constexpr std::size_t kSmallMemberLimit = 8 * 1024;
// A file no longer than a record costs less to pack again than to describe: it gets none.
constexpr std::uint64_t kRecordedSizeFloor = 64;

// Nor does the best-ratio mode keep records: it is asked for the smallest archive, which they
// would grow by a percent and more, and the program's own backups never use it.
bool keepsRecords(const lzh::WriterSettings& settings)
{
    return settings.effort != lzh::Effort::Best;
}
// Files up to this size are always given to the encoder: it costs little, and small "compressed"
// files such as icons often still shrink by a few per cent, which the guess would miss.
constexpr std::size_t kAlwaysTryLimit = 16 * 1024;
// How much of a large file's middle is looked at besides its start before it is stored whole.
constexpr std::size_t kSampleSize = 64 * 1024;
// A worker takes members up to these together, fewer when the other workers would be left with
// nothing: one lock for a run of small files instead of one each. The bytes are as the walk saw
// them, so a run stays small however the files grow.
constexpr std::size_t kMostTakenAtOnce = 32;
constexpr std::uint64_t kMostBytesTakenAtOnce = 64 * 1024;
// Part of every record: packed bytes are copied only into a pack that would make the same ones.
// Raise it whenever the encoder's output for the same input changes.
constexpr std::uint16_t kPackingRevision = 1;

std::uint16_t packingOf(const lzh::WriterSettings& settings)
{
    return static_cast<std::uint16_t>(kPackingRevision << 8 | static_cast<unsigned>(settings.method) << 2 |
                                      static_cast<unsigned>(settings.effort));
}

// The digest lzh::ContentHasher gives the file's content now, read as a pack with the parts of
// its size would read it; nullopt when it cannot be read.
std::optional<lzh::RecordDigest> contentDigestOf(const std::string& path, std::uint64_t size,
                                                 std::vector<std::uint8_t>& buffer)
{
    std::FILE* file = platform::openFile(path, "rb");
    if (!file)
        return std::nullopt;
    std::setvbuf(file, nullptr, _IONBF, 0);
    lzh::ContentHasher hasher(partEnds(size));
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        hasher.update(buffer.data(), got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return std::nullopt;
    return lzh::recordDigest(hasher.finish());
}

bool hasWiderWindowThanLh5(lzh::Method method)
{
    return method == lzh::Method::Lh6 || method == lzh::Method::Lh7;
}

// A large file is stored whole only when its middle looks as incompressible as its start: disk
// images and archives of mixed content often begin with packed data.
bool middleLooksIncompressible(std::FILE* source, std::uint64_t size, std::vector<std::uint8_t>& buffer)
{
    if (std::fseek(source, 0, SEEK_SET) != 0 || !lzh::skipForward(source, size / 2))
        return false;
    const std::size_t got = std::fread(buffer.data(), 1, std::min(buffer.size(), kSampleSize), source);
    return got > 0 && looksIncompressible(buffer.data(), got);
}

} // namespace

// One worker's buffers and encoders, reused from member to member.
struct MemberPacker::Encoders {
    std::vector<std::uint8_t> input = std::vector<std::uint8_t>(kInMemoryLimit);
    std::unique_ptr<lzh::Encoder> main;
    std::unique_ptr<lzh::Encoder> small;                       // -lh5-, for small members when the method is wider
    std::vector<std::unique_ptr<CarrySource::Reader>> carried; // one for each carry source

    lzh::Encoder& forSize(std::uint64_t size, const lzh::WriterSettings& settings, lzh::Method& method)
    {
        if (size <= kSmallMemberLimit && hasWiderWindowThanLh5(settings.method)) {
            if (!small)
                small = std::make_unique<lzh::Encoder>(lzh::Method::Lh5, settings.effort);
            method = lzh::Method::Lh5;
            return *small;
        }
        if (!main)
            main = std::make_unique<lzh::Encoder>(settings.method, settings.effort);
        method = settings.method;
        return *main;
    }
};

struct MemberPacker::Split {
    Split(Queue::Slot& s, std::vector<FilePart> p)
        : slot(s), parts(std::move(p)), results(parts.size()), unfinished(parts.size())
    {
    }
    Queue::Slot& slot;
    std::vector<FilePart> parts;
    std::vector<PackedFilePart> results; // each written by the worker that packs the part
    std::size_t unfinished;              // parts not done; the worker that finishes the last joins them
    std::atomic<bool> giveUp{false};     // a part failed, or the pack stops
};

namespace {

std::size_t headBytes(const PreparedMember& member)
{
    std::size_t bytes = 0;
    for (const lzh::PackedPart& part : member.parts)
        bytes += part.head.size();
    return bytes;
}

void closeScratch(std::vector<lzh::PackedPart>& parts)
{
    for (lzh::PackedPart& part : parts) {
        if (part.rest)
            std::fclose(part.rest);
        part.rest = nullptr;
    }
}

} // namespace

MemberPacker::MemberPacker(lzh::WriterSettings settings, unsigned workers, std::string scratchBeside, CarryFrom carry)
    : m_settings(settings), m_scratchBeside(std::move(scratchBeside)), m_carry(carry),
      m_queue(workers, WorkQueueLimits{kMaxAhead, kBufferedLimit, kMostTakenAtOnce, kMostBytesTakenAtOnce},
              Queue::Callbacks{
                  [this](Queue::Slot& slot, Encoders& encoders) { return prepare(slot, encoders); },
                  [](const PreparedMember& member) { return member.entry.size; },
                  headBytes,
              })
{
}

MemberPacker::~MemberPacker()
{
    {
        std::lock_guard lock(m_splitsMutex);
        for (auto& split : m_splits)
            split->giveUp = true;
    }
    m_queue.stop();
    m_queue.forEachLeft([](PreparedMember& member) { closeScratch(member.parts); });
    for (auto& split : m_splits)
        for (PackedFilePart& result : split->results)
            if (result.packed.rest)
                std::fclose(result.packed.rest);
}

void MemberPacker::submit(lzh::SourceEntry entry)
{
    PreparedMember member;
    member.entry = std::move(entry);
    m_queue.submit(std::move(member));
}

PreparedMember* MemberPacker::front(const std::function<bool(std::uint64_t)>& onWait)
{
    return m_queue.waitFront(onWait);
}

void MemberPacker::pop()
{
    PreparedMember member = m_queue.pop();
    closeScratch(member.parts);
}

// False when the member was split into parts: the worker that packs the last part readies it.
bool MemberPacker::prepare(Queue::Slot& slot, Encoders& encoders)
{
    PreparedMember& member = slot.item;
    if (member.entry.kind != lzh::MemberKind::File) {
        member.copyFromSource = true;
        return true;
    }
    // Examined before it is read: a change while it is read shows in the next pack.
    // The walk's own look at the file where it had one: a second would cost a stat per file.
    std::optional<platform::FileIdentity> identity = member.entry.identity;
    if (!identity)
        identity = platform::fileIdentity(member.entry.sourcePath);
    if (identity && identity->size > kRecordedSizeFloor && keepsRecords(m_settings)) {
        member.record = recordOf(*identity);
        if (!m_carry.sources.empty() && carry(member, *identity, encoders))
            return true;
    }
    std::FILE* source = platform::openFile(member.entry.sourcePath, "rb");
    if (!source) {
        member.status = lzh::sourceError(member.entry.sourcePath);
        return true;
    }
    // Reads are of the whole input buffer: stdio's own buffer would cost an allocation and a
    // stat of every file for nothing.
    std::setvbuf(source, nullptr, _IONBF, 0);
    const Outcome outcome = compress(slot, source, encoders);
    std::fclose(source);
    if (outcome == Outcome::Split)
        return false;
    if (outcome == Outcome::Failed)
        return true;
    if (outcome == Outcome::Packed) {
        completeRecord(member, outcome);
        return true;
    }
    // Not worth compressing: a file read whole is stored from memory, a larger one is copied.
    closeScratch(member.parts);
    member.parts.clear();
    member.method = lzh::Method::Lh0;
    member.crc = 0;
    if (outcome == Outcome::CopySource) {
        member.copyFromSource = true;
    } else {
        lzh::PackedPart& stored = member.parts.emplace_back();
        stored.head.assign(encoders.input.begin(),
                           encoders.input.begin() + static_cast<std::ptrdiff_t>(member.originalSize));
        stored.bits = 8 * member.originalSize;
        member.crc = lzh::crc16(0, stored.head.data(), stored.head.size());
    }
    completeRecord(member, outcome);
    return true;
}

lzh::MemberRecord MemberPacker::recordOf(const platform::FileIdentity& identity) const
{
    lzh::MemberRecord record;
    record.packing = packingOf(m_settings);
    record.settled = identity.changed != 0 && identity.changed < m_carry.settledBefore;
    record.size = identity.size;
    record.modified = identity.modified;
    record.changed = identity.changed;
    record.device = identity.device;
    record.number = identity.number;
    return record;
}

// Takes the packed bytes of the first carry source's member of the same name when the file is
// shown unchanged since: by its size, times and identity when its change time had settled then,
// else by the digest of its content; and when those bytes are still the ones the record names.
bool MemberPacker::carry(PreparedMember& member, const platform::FileIdentity& identity, Encoders& encoders)
{
    std::optional<std::optional<lzh::RecordDigest>> content; // the file is read once at most
    for (std::size_t source = 0; source < m_carry.sources.size(); ++source) {
        if (encoders.carried.size() == source)
            encoders.carried.push_back(std::make_unique<CarrySource::Reader>(*m_carry.sources[source]));
        CarrySource::Reader& reader = *encoders.carried[source];
        std::optional<lzh::MemberInfo> old = reader.find(member.entry.archivePath);
        if (!old || !old->method || old->record->packing != member.record->packing ||
            old->record->size != identity.size || old->originalSize != identity.size)
            continue;
        const lzh::MemberRecord& was = *old->record;
        const bool sameStamps = was.settled && identity.changed != 0 && was.changed == identity.changed &&
                                was.modified == identity.modified && was.device == identity.device &&
                                was.number == identity.number;
        if (!sameStamps) {
            if (!content)
                content = contentDigestOf(member.entry.sourcePath, identity.size, encoders.input);
            if (*content != was.content)
                continue;
        }
        if (!reader.packedBytesMatch(*old))
            continue;
        member.record->content = was.content;
        member.record->packed = was.packed;
        member.packedDigestKnown = true;
        member.method = *old->method;
        member.crc = old->crc;
        member.originalSize = old->originalSize;
        member.carried = std::move(old);
        member.carriedSource = source;
        return true;
    }
    return false;
}

// Fills in the digests the worker knows: the content's, and the packed bytes' when they are all
// in memory; the writer takes the rest as it writes.
void MemberPacker::completeRecord(PreparedMember& member, Outcome outcome)
{
    if (!member.record || outcome == Outcome::CopySource)
        return;
    const lzh::PackedPart& first = member.parts.front();
    if (outcome == Outcome::StoreRead)
        member.record->content = lzh::recordDigest(lzh::sha256(first.head.data(), first.head.size()));
    if (member.parts.size() == 1 && !first.rest) {
        // Stored bytes are the content itself: one pass over them gives both digests.
        member.record->packed = outcome == Outcome::StoreRead
                                    ? member.record->content
                                    : lzh::recordDigest(lzh::sha256(first.head.data(), first.head.size()));
        member.packedDigestKnown = true;
    }
}

bool MemberPacker::startSplit(Queue::Slot& slot)
{
    std::vector<FilePart> parts = planParts(slot.item.entry.size);
    if (parts.size() < 2)
        return false;
    // Every large file is split, whatever the number of workers or what else is in work, so the
    // same folder always packs to the same bytes.
    Split* split = nullptr;
    {
        std::lock_guard lock(m_splitsMutex);
        split = m_splits.emplace_back(std::make_unique<Split>(slot, std::move(parts))).get();
    }
    for (std::size_t index = 0; index < split->parts.size(); ++index)
        m_queue.post([this, split, index](Encoders& encoders) { packPartOf(*split, index, encoders); });
    return true;
}

MemberPacker::Outcome MemberPacker::compress(Queue::Slot& slot, std::FILE* source, Encoders& encoders)
{
    PreparedMember& member = slot.item;
    std::vector<std::uint8_t>& input = encoders.input;
    std::size_t got = std::fread(input.data(), 1, input.size(), source);
    if (got < input.size() && std::ferror(source)) {
        member.status = lzh::sourceError(member.entry.sourcePath);
        return Outcome::Failed;
    }
    bool whole = got < input.size();
    member.originalSize = got;
    const Outcome store = whole ? Outcome::StoreRead : Outcome::CopySource;
    if (m_settings.method == lzh::Method::Lh0 || got == 0)
        return store;
    if (got > kAlwaysTryLimit && looksIncompressible(input.data(), got)) {
        if (whole || middleLooksIncompressible(source, member.entry.size, input))
            return store;
        std::rewind(source);
        got = std::fread(input.data(), 1, input.size(), source);
        whole = got < input.size();
    }
    if (!whole && startSplit(slot))
        return Outcome::Split;
    lzh::Method method = m_settings.method;
    lzh::Encoder& encoder = encoders.forSize(whole ? got : member.entry.size, m_settings, method);
    encoder.reset();
    lzh::PackedPart& packedPart = member.parts.emplace_back();
    std::uint64_t packed = 0;
    std::uint64_t consumed = 0;
    // Stops as soon as the output reaches the input read so far: storing wins then.
    const lzh::ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
        packed += size;
        if (packed >= consumed)
            return false;
        if (keepPacked(packedPart, data, size, kInMemoryLimit, m_scratchBeside, member.status))
            return true;
        member.scratchFailed = true;
        return false;
    };
    std::uint16_t crc = 0;
    lzh::Sha256 content;
    for (;;) {
        crc = lzh::crc16(crc, input.data(), got);
        content.update(input.data(), got);
        consumed += got;
        slot.progress = consumed;
        if (m_queue.stopping()) {
            member.status = base::Status::error(base::ErrorCode::Cancelled, "cancelled");
            return Outcome::Failed;
        }
        if (!encoder.write(input.data(), got, sink).ok())
            return member.scratchFailed ? Outcome::Failed : store;
        if (whole)
            break;
        got = std::fread(input.data(), 1, input.size(), source);
        if (got < input.size() && std::ferror(source)) {
            member.status = lzh::sourceError(member.entry.sourcePath);
            return Outcome::Failed;
        }
        if (got == 0)
            break;
        whole = got < input.size();
    }
    if (!encoder.finish(sink).ok())
        return member.scratchFailed ? Outcome::Failed : store;
    if (packed >= consumed || packed < kMinimumPackedSize)
        return store;
    if (packedPart.rest && (std::fflush(packedPart.rest) != 0 || std::fseek(packedPart.rest, 0, SEEK_SET) != 0)) {
        member.status = platform::lastSystemError(m_scratchBeside);
        member.scratchFailed = true;
        return Outcome::Failed;
    }
    packedPart.bits = encoder.compressedBits();
    if (member.record)
        member.record->content = lzh::recordDigest(content.finish());
    member.originalSize = consumed;
    member.method = method;
    member.crc = crc;
    return Outcome::Packed;
}

void MemberPacker::packPartOf(Split& split, std::size_t index, Encoders& encoders)
{
    PackedFilePart result;
    if (split.giveUp) {
        result.outcome = PackedFilePart::Outcome::Stopped;
    } else {
        lzh::Method method = m_settings.method;
        lzh::Encoder& encoder = encoders.forSize(split.slot.item.entry.size, m_settings, method);
        const PartContext context{split.slot.item.entry.sourcePath, m_scratchBeside, split.giveUp, split.slot.progress};
        result = packPart(split.parts[index], encoder, encoders.input, context);
        if (result.outcome != PackedFilePart::Outcome::Packed)
            split.giveUp = true;
    }
    bool last = false;
    {
        std::lock_guard lock(m_splitsMutex);
        split.results[index] = std::move(result);
        last = --split.unfinished == 0;
    }
    if (!last)
        return;
    joinParts(split);
    Queue::Slot& slot = split.slot; // the split goes now, its member stays
    {
        std::lock_guard lock(m_splitsMutex);
        m_splits.erase(
            std::find_if(m_splits.begin(), m_splits.end(), [&](const auto& s) { return s.get() == &split; }));
    }
    m_queue.finish(slot);
}

// Makes the member from its parts: packed when they are smaller together and each one's history
// is what the part before it read; copied from the source when packing did not pay or the file
// changed meanwhile; skipped or failed as the first failed part says.
void MemberPacker::joinParts(Split& split)
{
    using PartOutcome = PackedFilePart::Outcome;
    PreparedMember& member = split.slot.item;
    std::vector<PackedFilePart>& results = split.results;
    bool allPacked = true;
    for (std::size_t k = 0; k < results.size(); ++k) {
        const PackedFilePart& result = results[k];
        if (result.outcome == PartOutcome::Failed && member.status.ok()) {
            member.status = result.status;
            member.scratchFailed = result.scratchFailed;
        }
        allPacked = allPacked && result.outcome == PartOutcome::Packed &&
                    (k == 0 || result.historyCrc == results[k - 1].tailCrc);
    }
    std::uint64_t bits = 0;
    std::uint64_t read = 0;
    std::uint16_t crc = 0;
    for (const PackedFilePart& result : results) {
        bits += result.packed.bits;
        read += result.read;
        crc = lzh::crc16Combine(crc, result.crc, result.read);
    }
    const bool pays = allPacked && (bits + 7) / 8 < read && bits >= 8 * kMinimumPackedSize;
    if (member.status.ok() && pays) {
        std::vector<lzh::Sha256Digest> digests;
        for (PackedFilePart& result : results) {
            member.parts.push_back(std::move(result.packed));
            digests.push_back(result.digest);
        }
        if (member.record)
            member.record->content = lzh::recordDigest(lzh::combinePartDigests(digests));
        member.method = m_settings.method;
        member.crc = crc;
        member.originalSize = read;
        return;
    }
    for (PackedFilePart& result : results)
        if (result.packed.rest)
            std::fclose(result.packed.rest);
    member.copyFromSource = member.status.ok();
}

} // namespace archiver
