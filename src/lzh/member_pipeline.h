#pragma once
// Prepares the members of a pack on worker threads, ahead of the one thread that writes the
// archive in order: each small file is read whole into a reusable slot and compressed into that
// slot's output buffer (or kept as it is when it does not shrink). Files above kInMemoryLimit,
// folders and links are left to the writer, which streams them. Memory stays bounded: kSlots
// slots of two buffers each, whatever the files.

#include "base/status.h"
#include "lzh/archive_writer.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lzh {

struct PreparedMember {
    bool streamed = false; // the writer must add this entry itself
    base::Status status;   // the source could not be read (a skipped file)
    Method method = Method::Lh0;
    std::uint16_t crc = 0;
    std::uint64_t originalSize = 0; // as read, which may differ from what the walk saw
    const std::vector<std::uint8_t>* data = nullptr; // the member's packed bytes
};

class MemberPipeline {
public:
    // Files up to this size are prepared in memory.
    static constexpr std::size_t kInMemoryLimit = 512 * 1024;
    // Entries prepared ahead of the writer.
    static constexpr std::size_t kSlots = 8;

    MemberPipeline(const std::vector<SourceEntry>& entries, WriterSettings settings, unsigned workers);
    ~MemberPipeline();
    MemberPipeline(const MemberPipeline&) = delete;
    MemberPipeline& operator=(const MemberPipeline&) = delete;

    // Blocks until entry index (taken in order) is prepared. Valid until release(index).
    const PreparedMember& wait(std::size_t index);
    void release(std::size_t index);

private:
    struct Slot;
    struct Encoders;
    void work();
    void prepare(const SourceEntry& entry, Slot& slot, Encoders& encoders);

    const std::vector<SourceEntry>& m_entries;
    const WriterSettings m_settings;
    std::vector<std::unique_ptr<Slot>> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;     // next entry a worker takes
    std::size_t m_released = 0; // entries the writer is done with
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

} // namespace lzh
