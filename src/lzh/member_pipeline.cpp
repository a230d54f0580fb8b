#include "lzh/member_pipeline.h"

#include "lzh/incompressible.h"
#include "platform/file_io.h"

#include <cstdio>

namespace lzh {
namespace {

// Shorter compressed streams trip one common reader, so they are stored instead.
constexpr std::size_t kMinimumPackedSize = 8;
// Members up to -lh5-'s window get the same matches under -lh5- as under -lh6-/-lh7-, and its
// smaller position alphabet makes the trees cheaper to send; every reader takes mixed methods.
constexpr std::size_t kSmallMemberLimit = 8 * 1024;
// Files up to this size are always given to the encoder: it costs little, and small "compressed"
// files such as icons often still shrink by a few per cent, which the guess would miss.
constexpr std::size_t kAlwaysTryLimit = 16 * 1024;

bool hasWiderWindowThanLh5(Method method)
{
    return method == Method::Lh6 || method == Method::Lh7;
}

} // namespace

// One worker's encoders, made when first needed.
struct MemberPipeline::Encoders {
    std::unique_ptr<Encoder> main;
    std::unique_ptr<Encoder> small; // -lh5-, for small members when the method is wider

    Encoder& forSize(std::size_t size, const WriterSettings& settings, Method& method)
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
    std::size_t index = SIZE_MAX; // the entry held, SIZE_MAX when free
    bool ready = false;
    PreparedMember result;
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> output;
};

MemberPipeline::MemberPipeline(const std::vector<SourceEntry>& entries, WriterSettings settings, unsigned workers)
    : m_entries(entries), m_settings(settings)
{
    for (std::size_t i = 0; i < kSlots; ++i)
        m_slots.push_back(std::make_unique<Slot>());
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

MemberPipeline::~MemberPipeline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

const PreparedMember& MemberPipeline::wait(std::size_t index)
{
    Slot& slot = *m_slots[index % kSlots];
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return slot.index == index && slot.ready; });
    return slot.result;
}

void MemberPipeline::release(std::size_t index)
{
    {
        std::lock_guard lock(m_mutex);
        Slot& slot = *m_slots[index % kSlots];
        slot.index = SIZE_MAX;
        slot.ready = false;
        m_released = index + 1;
    }
    m_changed.notify_all();
}

void MemberPipeline::work()
{
    Encoders encoders;
    for (;;) {
        std::size_t index = 0;
        Slot* slot = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stopping || m_next >= m_entries.size() || m_next < m_released + kSlots;
            });
            if (m_stopping || m_next >= m_entries.size())
                return;
            index = m_next++;
            slot = m_slots[index % kSlots].get();
            slot->index = index;
        }
        prepare(m_entries[index], *slot, encoders);
        {
            std::lock_guard lock(m_mutex);
            slot->ready = true;
        }
        m_changed.notify_all();
    }
}

void MemberPipeline::prepare(const SourceEntry& entry, Slot& slot, Encoders& encoders)
{
    PreparedMember& result = slot.result;
    result = PreparedMember();
    if (entry.kind != MemberKind::File || entry.size > kInMemoryLimit) {
        result.streamed = true;
        return;
    }
    std::FILE* file = platform::openFile(entry.sourcePath, "rb");
    if (!file) {
        result.status = platform::lastSystemError(entry.sourcePath);
        return;
    }
    slot.input.resize(kInMemoryLimit + 1);
    const std::size_t got = std::fread(slot.input.data(), 1, slot.input.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        result.status = base::Status::error(base::ErrorCode::IoError, "read error", entry.sourcePath);
        return;
    }
    if (got > kInMemoryLimit) { // it grew since the walk: stream it
        result.streamed = true;
        return;
    }
    slot.input.resize(got);
    result.crc = crc16(0, slot.input.data(), got);
    result.originalSize = got;
    result.method = Method::Lh0;
    result.data = &slot.input;
    if (m_settings.method == Method::Lh0 || got == 0 ||
        (got > kAlwaysTryLimit && looksIncompressible(slot.input.data(), got)))
        return;
    Method method = m_settings.method;
    Encoder* encoder = &encoders.forSize(got, m_settings, method);
    slot.output.clear();
    encoder->reset();
    const ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
        if (slot.output.size() + size >= got)
            return false;
        slot.output.insert(slot.output.end(), data, data + size);
        return true;
    };
    if (encoder->write(slot.input.data(), got, sink) && encoder->finish(sink) &&
        slot.output.size() >= kMinimumPackedSize && slot.output.size() < got) {
        result.method = method;
        result.data = &slot.output;
    }
}

} // namespace lzh
