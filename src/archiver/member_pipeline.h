#pragma once
// Compresses the members of a pack on worker threads, ahead of the one thread that writes the
// archive in order. The writer submits entries as the folder walk finds them and takes them back
// prepared, in the same order. A file is read and compressed by one worker, except that a file
// of a few MB or more is packed in parts by all workers (file_parts.h), so a large file does not
// leave the others idle; the packed bytes stay in memory up to kInMemoryLimit and go on
// to a scratch file beside the archive after that. Folders, links and files that are stored as
// they are (incompressible, or not shrinking) are left to the writer, which copies them from the
// source.
//
// Memory stays bounded whatever the files: at most kMaxAhead entries in flight, workers start no
// new member while kBufferedLimit bytes of packed data wait for the writer, a member in work
// holds at most kInMemoryLimit of input and of output, and a split file's parts 64 KiB each.
//
// Small files come by the thousand a second, so the threads meet as rarely as they can: a worker
// takes a run of small members at once, a finished member is flagged without the lock, and a
// thread is woken only when it waits.

#include "base/status.h"
#include "lzh/archive_writer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace archiver {

struct PreparedMember {
    lzh::SourceEntry entry;
    bool copyFromSource = false; // the writer adds this entry itself (stored data, folder, link)
    base::Status status;         // the source could not be read: a skipped file
    bool scratchFailed = false;  // the scratch file could not be written: the pack cannot go on
    lzh::Method method = lzh::Method::Lh0;
    std::uint16_t crc = 0;
    std::uint64_t originalSize = 0;     // as read, which may differ from what the walk saw
    std::vector<lzh::PackedPart> parts; // the data to write: one part, or a large file's parts to join
};

class MemberPipeline {
public:
    static constexpr std::size_t kInMemoryLimit = 512 * 1024;
    // Far enough ahead that the other worker keeps busy while one packs a file of tens of MB.
    static constexpr std::size_t kMaxAhead = 4096;
    static constexpr std::size_t kBufferedLimit = 8 * 1024 * 1024;

    // Scratch files are made beside scratchBeside (the archive being written).
    MemberPipeline(lzh::WriterSettings settings, unsigned workers, std::string scratchBeside);
    ~MemberPipeline();
    MemberPipeline(const MemberPipeline&) = delete;
    MemberPipeline& operator=(const MemberPipeline&) = delete;

    // These are called by one thread, the writer's.
    bool full() const { return m_count >= kMaxAhead; }
    bool empty() const { return m_count == 0; }
    void submit(lzh::SourceEntry entry);
    // The oldest submitted entry, prepared or not.
    const lzh::SourceEntry& frontEntry() const;
    // Waits for the oldest submitted entry. While waiting it calls onWait about ten times a second
    // with the input bytes that member has consumed so far; when onWait returns false it stops
    // waiting and returns nullptr. Valid until pop().
    PreparedMember* front(const std::function<bool(std::uint64_t consumed)>& onWait);
    void pop();

private:
    struct Slot;
    struct Encoders;
    struct Split;
    // Packed; or better stored, from the bytes read (the file fit the input buffer) or by copying
    // the source; or failed (status says why); or left to be packed in parts by all workers.
    enum class Outcome { Packed, StoreRead, CopySource, Failed, Split };
    // What a worker takes next: a part of a split file, or a run of members in order (none when
    // stopping).
    struct Work {
        Split* split = nullptr;
        std::size_t part = 0;
        std::vector<Slot*> slots;
    };
    Work take();
    void work();
    void notifyWriter();
    bool prepare(Slot& slot, Encoders& encoders);
    Outcome compress(Slot& slot, std::FILE* source, Encoders& encoders);
    bool startSplit(Slot& slot);
    Split* splitWithPartWaiting() const;
    void packPartOf(Split& split, std::size_t index, Encoders& encoders);
    void joinParts(Split& split);

    const lzh::WriterSettings m_settings;
    const std::string m_scratchBeside;
    // Submitted and not popped, oldest first. Only the writer adds and removes slots (under the
    // lock), so it reads the front without the lock.
    std::deque<std::unique_ptr<Slot>> m_slots;
    std::size_t m_count = 0; // m_slots.size(), for the writer alone
    std::mutex m_mutex;
    std::condition_variable m_workToDo;   // for workers: members submitted, parts to pack, room freed
    std::condition_variable m_frontReady; // for the writer: the member it waits for is prepared
    std::size_t m_taken = 0;              // slots (from the front) handed to workers
    unsigned m_idleWorkers = 0;           // workers waiting on m_workToDo
    std::atomic<bool> m_writerWaiting{false};
    std::atomic<std::size_t> m_buffered{0}; // packed bytes held by prepared slots
    // Large files being packed in parts, oldest first. Parts go before new members, so there are
    // hardly more splits than workers.
    std::deque<std::unique_ptr<Split>> m_splits;
    std::atomic<bool> m_stopping{false};
    const unsigned m_workerCount;
    std::vector<std::thread> m_workers;
};

} // namespace archiver
