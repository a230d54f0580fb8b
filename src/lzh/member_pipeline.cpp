#include "lzh/member_pipeline.h"

#include "lzh/file_parts.h"
#include "lzh/incompressible.h"
#include "lzh/input_file.h"
#include "platform/file_io.h"

#include <algorithm>
#include <chrono>

namespace lzh {
namespace {

// Shorter compressed streams trip one common reader, so they are stored instead.
constexpr std::uint64_t kMinimumPackedSize = 8;
// Members up to -lh5-'s window get the same matches under -lh5- as under -lh6-/-lh7-, and its
// smaller position alphabet makes the trees cheaper to send; every reader takes mixed methods.
constexpr std::size_t kSmallMemberLimit = 8 * 1024;
// Files up to this size are always given to the encoder: it costs little, and small "compressed"
// files such as icons often still shrink by a few per cent, which the guess would miss.
constexpr std::size_t kAlwaysTryLimit = 16 * 1024;
// How much of a large file's middle is looked at besides its start before it is stored whole.
constexpr std::size_t kSampleSize = 64 * 1024;
constexpr auto kWaitTick = std::chrono::milliseconds(100);
// A worker takes members up to these together, fewer when the other workers would be left with
// nothing: one lock for a run of small files instead of one each. The bytes are as the walk saw
// them, so a run stays small however the files grow.
constexpr std::size_t kMostTakenAtOnce = 32;
constexpr std::uint64_t kMostBytesTakenAtOnce = 64 * 1024;

bool hasWiderWindowThanLh5(Method method)
{
    return method == Method::Lh6 || method == Method::Lh7;
}

// A large file is stored whole only when its middle looks as incompressible as its start: disk
// images and archives of mixed content often begin with packed data.
bool middleLooksIncompressible(std::FILE* source, std::uint64_t size, std::vector<std::uint8_t>& buffer)
{
    if (std::fseek(source, 0, SEEK_SET) != 0 || !skipForward(source, size / 2))
        return false;
    const std::size_t got = std::fread(buffer.data(), 1, std::min(buffer.size(), kSampleSize), source);
    return got > 0 && looksIncompressible(buffer.data(), got);
}

} // namespace

// One worker's buffers and encoders, reused from member to member.
struct MemberPipeline::Encoders {
    std::vector<std::uint8_t> input = std::vector<std::uint8_t>(kInMemoryLimit);
    std::unique_ptr<Encoder> main;
    std::unique_ptr<Encoder> small; // -lh5-, for small members when the method is wider

    Encoder& forSize(std::uint64_t size, const WriterSettings& settings, Method& method)
    {
        if (size <= kSmallMemberLimit && hasWiderWindowThanLh5(settings.method)) {
            if (!small)
                small = std::make_unique<Encoder>(Method::Lh5, settings.effort);
            method = Method::Lh5;
            return *small;
        }
        if (!main)
            main = std::make_unique<Encoder>(settings.method, settings.effort);
        method = settings.method;
        return *main;
    }
};

struct MemberPipeline::Slot {
    PreparedMember member;
    // Set by the worker as its last touch of the slot: the writer may take it at once.
    std::atomic<bool> ready{false};
    std::atomic<std::uint64_t> consumed{0};
};

struct MemberPipeline::Split {
    Split(Slot& s, std::vector<FilePart> p) : slot(s), parts(std::move(p)), results(parts.size()), unfinished(parts.size())
    {
    }
    Slot& slot;
    std::vector<FilePart> parts;
    std::vector<PackedFilePart> results;
    std::size_t nextPart = 0;   // the next part a worker takes
    std::size_t unfinished;     // parts not done; the worker that finishes the last joins them
    std::atomic<bool> giveUp{false}; // a part failed, or the pack stops
};

namespace {

std::size_t headBytes(const PreparedMember& member)
{
    std::size_t bytes = 0;
    for (const PackedPart& part : member.parts)
        bytes += part.head.size();
    return bytes;
}

void closeScratch(std::vector<PackedPart>& parts)
{
    for (PackedPart& part : parts) {
        if (part.rest)
            std::fclose(part.rest);
        part.rest = nullptr;
    }
}

} // namespace

MemberPipeline::MemberPipeline(WriterSettings settings, unsigned workers, std::string scratchBeside)
    : m_settings(settings), m_scratchBeside(std::move(scratchBeside)), m_workerCount(std::max(workers, 1u))
{
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

MemberPipeline::~MemberPipeline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (auto& split : m_splits)
            split->giveUp = true;
    }
    m_workToDo.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    for (auto& slot : m_slots)
        closeScratch(slot->member.parts);
    for (auto& split : m_splits)
        for (PackedFilePart& result : split->results)
            if (result.packed.rest)
                std::fclose(result.packed.rest);
}

void MemberPipeline::submit(SourceEntry entry)
{
    auto slot = std::make_unique<Slot>();
    slot->member.entry = std::move(entry);
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_slots.push_back(std::move(slot));
        wake = m_idleWorkers > 0;
    }
    ++m_count;
    if (wake)
        m_workToDo.notify_one();
}

const SourceEntry& MemberPipeline::frontEntry() const
{
    // Workers never change an entry, so it may be read while its member is in work.
    return m_slots.front()->member.entry;
}

PreparedMember* MemberPipeline::front(const std::function<bool(std::uint64_t)>& onWait)
{
    Slot& slot = *m_slots.front();
    if (slot.ready)
        return &slot.member;
    std::unique_lock lock(m_mutex);
    // Raised before ready is looked at again, under the lock: a worker that sets ready after the
    // look sees the flag and notifies once this thread waits.
    m_writerWaiting = true;
    while (!m_frontReady.wait_for(lock, kWaitTick, [&] { return slot.ready.load(); })) {
        lock.unlock();
        const bool goOn = !onWait || onWait(slot.consumed.load());
        lock.lock();
        if (!goOn) {
            m_writerWaiting = false;
            return nullptr;
        }
    }
    m_writerWaiting = false;
    return &slot.member;
}

void MemberPipeline::pop()
{
    std::unique_ptr<Slot> slot;
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        slot = std::move(m_slots.front());
        m_slots.pop_front();
        --m_taken;
        const std::size_t bytes = headBytes(slot->member);
        const std::size_t before = m_buffered.fetch_sub(bytes);
        // Workers held back by the buffered limit may go on.
        wake = m_idleWorkers > 0 && before >= kBufferedLimit && before - bytes < kBufferedLimit;
    }
    --m_count;
    if (wake)
        m_workToDo.notify_all();
    closeScratch(slot->member.parts);
}

MemberPipeline::Split* MemberPipeline::splitWithPartWaiting() const
{
    // The oldest first: the writer needs its member before the others.
    for (const auto& split : m_splits)
        if (split->nextPart < split->parts.size())
            return split.get();
    return nullptr;
}

MemberPipeline::Work MemberPipeline::take()
{
    Work work;
    std::unique_lock lock(m_mutex);
    ++m_idleWorkers;
    // Parts of a split file go first: the writer waits for that member.
    m_workToDo.wait(lock, [&] {
        work.split = splitWithPartWaiting();
        return m_stopping || work.split || (m_taken < m_slots.size() && m_buffered < kBufferedLimit);
    });
    --m_idleWorkers;
    if (m_stopping) {
        work.split = nullptr;
        return work;
    }
    if (work.split) {
        work.part = work.split->nextPart++;
        return work;
    }
    // A share of what waits, so no worker idles while another holds a run it has not started.
    const std::size_t share = std::max<std::size_t>(1, (m_slots.size() - m_taken) / m_workerCount);
    std::uint64_t bytes = 0;
    while (m_taken < m_slots.size() && work.slots.size() < std::min(share, kMostTakenAtOnce)) {
        Slot* slot = m_slots[m_taken].get();
        bytes += slot->member.entry.size;
        if (!work.slots.empty() && bytes > kMostBytesTakenAtOnce)
            break;
        work.slots.push_back(slot);
        ++m_taken;
    }
    return work;
}

void MemberPipeline::work()
{
    Encoders encoders;
    for (;;) {
        const Work next = take();
        if (next.split) {
            packPartOf(*next.split, next.part, encoders);
            continue;
        }
        if (next.slots.empty())
            return;
        bool readied = false;
        for (Slot* slot : next.slots) {
            // Once stopping, the rest of the run is not prepared; nothing will wait for it.
            if (m_stopping)
                return;
            if (!prepare(*slot, encoders))
                continue; // split: the worker that packs its last part readies it
            m_buffered += headBytes(slot->member);
            slot->ready = true;
            readied = true;
        }
        // One wake-up for the run, not one a member: the writer then takes its members in one go.
        if (readied)
            notifyWriter();
    }
}

void MemberPipeline::notifyWriter()
{
    // The writer raises its flag before it looks at ready, so one of the two sees the other; the
    // lock, taken and left, makes sure it waits before it is notified.
    if (m_writerWaiting) {
        { std::lock_guard lock(m_mutex); }
        m_frontReady.notify_one();
    }
}

// False when the member was split into parts: the worker that packs the last part readies it.
bool MemberPipeline::prepare(Slot& slot, Encoders& encoders)
{
    PreparedMember& member = slot.member;
    if (member.entry.kind != MemberKind::File) {
        member.copyFromSource = true;
        return true;
    }
    std::FILE* source = platform::openFile(member.entry.sourcePath, "rb");
    if (!source) {
        member.status = sourceError(member.entry.sourcePath);
        return true;
    }
    // Reads are of the whole input buffer: stdio's own buffer would cost an allocation and a
    // stat of every file for nothing.
    std::setvbuf(source, nullptr, _IONBF, 0);
    const Outcome outcome = compress(slot, source, encoders);
    std::fclose(source);
    if (outcome == Outcome::Split)
        return false;
    if (outcome == Outcome::Packed || outcome == Outcome::Failed)
        return true;
    // Not worth compressing: a file read whole is stored from memory, a larger one is copied.
    closeScratch(member.parts);
    member.parts.clear();
    member.method = Method::Lh0;
    member.crc = 0;
    if (outcome == Outcome::CopySource) {
        member.copyFromSource = true;
    } else {
        PackedPart& stored = member.parts.emplace_back();
        stored.head.assign(encoders.input.begin(), encoders.input.begin() + static_cast<std::ptrdiff_t>(member.originalSize));
        stored.bits = 8 * member.originalSize;
        member.crc = crc16(0, stored.head.data(), stored.head.size());
    }
    return true;
}

bool MemberPipeline::startSplit(Slot& slot)
{
    std::vector<FilePart> parts = planParts(slot.member.entry.size);
    if (parts.size() < 2)
        return false;
    // Every large file is split, whatever the number of workers or what else is in work, so the
    // same folder always packs to the same bytes.
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_splits.push_back(std::make_unique<Split>(slot, std::move(parts)));
        wake = m_idleWorkers > 0;
    }
    if (wake)
        m_workToDo.notify_all();
    return true;
}

MemberPipeline::Outcome MemberPipeline::compress(Slot& slot, std::FILE* source, Encoders& encoders)
{
    PreparedMember& member = slot.member;
    std::vector<std::uint8_t>& input = encoders.input;
    std::size_t got = std::fread(input.data(), 1, input.size(), source);
    if (got < input.size() && std::ferror(source)) {
        member.status = sourceError(member.entry.sourcePath);
        return Outcome::Failed;
    }
    bool whole = got < input.size();
    member.originalSize = got;
    const Outcome store = whole ? Outcome::StoreRead : Outcome::CopySource;
    if (m_settings.method == Method::Lh0 || got == 0)
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
    Method method = m_settings.method;
    Encoder& encoder = encoders.forSize(whole ? got : member.entry.size, m_settings, method);
    encoder.reset();
    PackedPart& packedPart = member.parts.emplace_back();
    std::uint64_t packed = 0;
    std::uint64_t consumed = 0;
    // Stops as soon as the output reaches the input read so far: storing wins then.
    const ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
        packed += size;
        if (packed >= consumed)
            return false;
        if (keepPacked(packedPart, data, size, kInMemoryLimit, m_scratchBeside, member.status))
            return true;
        member.scratchFailed = true;
        return false;
    };
    std::uint16_t crc = 0;
    for (;;) {
        crc = crc16(crc, input.data(), got);
        consumed += got;
        slot.consumed = consumed;
        if (m_stopping) {
            member.status = base::Status::error(base::ErrorCode::Cancelled, "cancelled");
            return Outcome::Failed;
        }
        if (!encoder.write(input.data(), got, sink).ok())
            return member.scratchFailed ? Outcome::Failed : store;
        if (whole)
            break;
        got = std::fread(input.data(), 1, input.size(), source);
        if (got < input.size() && std::ferror(source)) {
            member.status = sourceError(member.entry.sourcePath);
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
    member.originalSize = consumed;
    member.method = method;
    member.crc = crc;
    return Outcome::Packed;
}

void MemberPipeline::packPartOf(Split& split, std::size_t index, Encoders& encoders)
{
    PackedFilePart result;
    if (split.giveUp) {
        result.outcome = PackedFilePart::Outcome::Stopped;
    } else {
        Method method = m_settings.method;
        Encoder& encoder = encoders.forSize(split.slot.member.entry.size, m_settings, method);
        const PartContext context{split.slot.member.entry.sourcePath, m_scratchBeside, split.giveUp, split.slot.consumed};
        result = packPart(split.parts[index], encoder, encoders.input, context);
        if (result.outcome != PackedFilePart::Outcome::Packed)
            split.giveUp = true;
    }
    bool last = false;
    {
        std::lock_guard lock(m_mutex);
        split.results[index] = std::move(result);
        last = --split.unfinished == 0;
    }
    if (!last)
        return;
    joinParts(split);
    Slot& slot = split.slot;
    {
        std::lock_guard lock(m_mutex);
        m_splits.erase(std::find_if(m_splits.begin(), m_splits.end(), [&](const auto& s) { return s.get() == &split; }));
    }
    m_buffered += headBytes(slot.member);
    slot.ready = true;
    notifyWriter();
}

// Makes the member from its parts: packed when they are smaller together and each one's history
// is what the part before it read; copied from the source when packing did not pay or the file
// changed meanwhile; skipped or failed as the first failed part says.
void MemberPipeline::joinParts(Split& split)
{
    using PartOutcome = PackedFilePart::Outcome;
    PreparedMember& member = split.slot.member;
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
        crc = crc16Combine(crc, result.crc, result.read);
    }
    const bool pays = allPacked && (bits + 7) / 8 < read && bits >= 8 * kMinimumPackedSize;
    if (member.status.ok() && pays) {
        for (PackedFilePart& result : results)
            member.parts.push_back(std::move(result.packed));
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

} // namespace lzh
