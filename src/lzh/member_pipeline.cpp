#include "lzh/member_pipeline.h"

#include "lzh/incompressible.h"
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
    const std::uint64_t middle = size / 2;
    if (middle > static_cast<std::uint64_t>(INT64_MAX) ||
        std::fseek(source, 0, SEEK_SET) != 0)
        return false;
    // fseek takes a long, which is 32 bits on Windows: step there.
    for (std::uint64_t left = middle; left > 0;) {
        const long step = static_cast<long>(std::min<std::uint64_t>(left, 1u << 30));
        if (std::fseek(source, step, SEEK_CUR) != 0)
            return false;
        left -= static_cast<std::uint64_t>(step);
    }
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
    }
    m_workToDo.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    for (auto& slot : m_slots)
        if (slot->member.rest)
            std::fclose(slot->member.rest);
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
        const std::size_t before = m_buffered.fetch_sub(slot->member.head.size());
        // Workers held back by the buffered limit may go on.
        wake = m_idleWorkers > 0 && before >= kBufferedLimit && before - slot->member.head.size() < kBufferedLimit;
    }
    --m_count;
    if (wake)
        m_workToDo.notify_all();
    if (slot->member.rest)
        std::fclose(slot->member.rest);
}

std::vector<MemberPipeline::Slot*> MemberPipeline::take()
{
    std::vector<Slot*> taken;
    std::unique_lock lock(m_mutex);
    ++m_idleWorkers;
    m_workToDo.wait(lock, [&] {
        return m_stopping || (m_taken < m_slots.size() && m_buffered < kBufferedLimit);
    });
    --m_idleWorkers;
    if (m_stopping)
        return taken;
    // A share of what waits, so no worker idles while another holds a run it has not started.
    const std::size_t share = std::max<std::size_t>(1, (m_slots.size() - m_taken) / m_workerCount);
    std::uint64_t bytes = 0;
    while (m_taken < m_slots.size() && taken.size() < std::min(share, kMostTakenAtOnce)) {
        Slot* slot = m_slots[m_taken].get();
        bytes += slot->member.entry.size;
        if (!taken.empty() && bytes > kMostBytesTakenAtOnce)
            break;
        taken.push_back(slot);
        ++m_taken;
    }
    return taken;
}

void MemberPipeline::work()
{
    Encoders encoders;
    for (;;) {
        const std::vector<Slot*> taken = take();
        if (taken.empty())
            return;
        for (Slot* slot : taken) {
            // Once stopping, the rest of the run is not prepared; nothing will wait for it.
            if (m_stopping)
                return;
            prepare(*slot, encoders);
            m_buffered += slot->member.head.size();
            slot->ready = true;
        }
        // One wake-up for the run, not one a member: the writer then takes its members in one
        // go. It raises its flag before it looks at ready, so one of the two sees the other; the
        // lock, taken and left, makes sure it waits before it is notified.
        if (m_writerWaiting) {
            { std::lock_guard lock(m_mutex); }
            m_frontReady.notify_one();
        }
    }
}

void MemberPipeline::prepare(Slot& slot, Encoders& encoders)
{
    PreparedMember& member = slot.member;
    if (member.entry.kind != MemberKind::File) {
        member.copyFromSource = true;
        return;
    }
    std::FILE* source = platform::openFile(member.entry.sourcePath, "rb");
    if (!source) {
        member.status = sourceError(member.entry.sourcePath);
        return;
    }
    // Reads are of the whole input buffer: stdio's own buffer would cost an allocation and a
    // stat of every file for nothing.
    std::setvbuf(source, nullptr, _IONBF, 0);
    const Outcome outcome = compress(slot, source, encoders);
    std::fclose(source);
    if (outcome == Outcome::Packed || outcome == Outcome::Failed)
        return;
    // Not worth compressing: a file read whole is stored from memory, a larger one is copied.
    if (member.rest)
        std::fclose(member.rest);
    member.rest = nullptr;
    member.restSize = 0;
    member.head.clear();
    member.method = Method::Lh0;
    member.crc = 0;
    if (outcome == Outcome::CopySource) {
        member.copyFromSource = true;
    } else {
        member.head.assign(encoders.input.begin(), encoders.input.begin() + static_cast<std::ptrdiff_t>(member.originalSize));
        member.crc = crc16(0, member.head.data(), member.head.size());
    }
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
    Method method = m_settings.method;
    Encoder& encoder = encoders.forSize(whole ? got : member.entry.size, m_settings, method);
    encoder.reset();
    std::uint64_t packed = 0;
    std::uint64_t consumed = 0;
    // Stops as soon as the output reaches the input read so far: storing wins then.
    const ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
        packed += size;
        return packed < consumed && keep(member, data, size);
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
        if (!encoder.write(input.data(), got, sink))
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
    if (!encoder.finish(sink))
        return member.scratchFailed ? Outcome::Failed : store;
    if (packed >= consumed || packed < kMinimumPackedSize)
        return store;
    if (member.rest && (std::fflush(member.rest) != 0 || std::fseek(member.rest, 0, SEEK_SET) != 0)) {
        scratchFailed(member);
        return Outcome::Failed;
    }
    member.originalSize = consumed;
    member.method = method;
    member.crc = crc;
    return Outcome::Packed;
}

// Packed bytes go to memory up to kInMemoryLimit, the rest to the member's scratch file.
bool MemberPipeline::keep(PreparedMember& member, const std::uint8_t* data, std::size_t size)
{
    if (!member.rest && member.head.size() + size <= kInMemoryLimit) {
        member.head.insert(member.head.end(), data, data + size);
        return true;
    }
    if (!member.rest)
        member.rest = platform::openScratchFile(m_scratchBeside);
    if (!member.rest || std::fwrite(data, 1, size, member.rest) != size) {
        scratchFailed(member);
        return false;
    }
    member.restSize += size;
    return true;
}

void MemberPipeline::scratchFailed(PreparedMember& member)
{
    member.status = platform::lastSystemError(m_scratchBeside);
    member.scratchFailed = true;
}

} // namespace lzh
