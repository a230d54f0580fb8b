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
// The threads themselves are the queue's (ordered_work_queue.h).

#include "archiver/carry_source.h"
#include "archiver/ordered_work_queue.h"
#include "base/status.h"
#include "lzh/archive_writer.h"
#include "platform/file_io.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace archiver {

struct PreparedMember {
    lzh::SourceEntry entry;
    bool copyFromSource = false; // the writer adds this entry itself (stored data, folder, link)
    base::Status status;         // the source could not be read: a skipped file
    bool scratchFailed = false;  // the scratch file could not be written: the pack cannot go on
    lzh::Method method = lzh::Method::Lh0;
    std::uint16_t crc = 0;
    std::uint64_t originalSize = 0;          // as read, which may differ from what the walk saw
    std::vector<lzh::PackedPart> parts;      // the data to write: one part, or a large file's parts to join
    std::optional<lzh::MemberRecord> record; // what the header keeps about a file's source
    bool packedDigestKnown = false;          // record->packed is final; else the writer takes it
    std::optional<lzh::MemberInfo> carried;  // unchanged: copy this member's packed bytes instead
    std::size_t carriedSource = 0;           // from this one of CarryFrom::sources
};

// What lets a pack copy the packed bytes of unchanged files: the archives to copy them from, in the
// order they are asked, and the moment before which a file's change time proves it settled
// (fileTimeNow's unit).
struct CarryFrom {
    std::vector<const CarrySource*> sources;
    std::int64_t settledBefore = 0;
};

class MemberPacker {
public:
    static constexpr std::size_t kInMemoryLimit = 512 * 1024;
    // Far enough ahead that the other worker keeps busy while one packs a file of tens of MB.
    static constexpr std::size_t kMaxAhead = 4096;
    static constexpr std::size_t kBufferedLimit = 8 * 1024 * 1024;

    // Scratch files are made beside scratchBeside (the archive being written).
    MemberPacker(lzh::WriterSettings settings, unsigned workers, std::string scratchBeside, CarryFrom carry);
    ~MemberPacker();
    MemberPacker(const MemberPacker&) = delete;
    MemberPacker& operator=(const MemberPacker&) = delete;

    // These are called by one thread, the writer's.
    bool full() const { return m_queue.full(); }
    bool empty() const { return m_queue.empty(); }
    void submit(lzh::SourceEntry entry);
    // The oldest submitted entry, prepared or not.
    const lzh::SourceEntry& frontEntry() const { return m_queue.frontItem().entry; }
    // Waits for the oldest submitted entry. While waiting it calls onWait about ten times a second
    // with the input bytes that member has consumed so far; when onWait returns false it stops
    // waiting and returns nullptr. Valid until pop().
    PreparedMember* front(const std::function<bool(std::uint64_t consumed)>& onWait);
    void pop();

private:
    struct Encoders;
    struct Split;
    using Queue = OrderedWorkQueue<PreparedMember, Encoders>;
    // Packed; or better stored, from the bytes read (the file fit the input buffer) or by copying
    // the source; or failed (status says why); or left to be packed in parts by all workers.
    enum class Outcome { Packed, StoreRead, CopySource, Failed, Split };
    bool prepare(Queue::Slot& slot, Encoders& encoders);
    lzh::MemberRecord recordOf(const platform::FileIdentity& identity) const;
    bool carry(PreparedMember& member, const platform::FileIdentity& identity, Encoders& encoders);
    void completeRecord(PreparedMember& member, Outcome outcome);
    Outcome compress(Queue::Slot& slot, std::FILE* source, Encoders& encoders);
    bool startSplit(Queue::Slot& slot);
    void packPartOf(Split& split, std::size_t index, Encoders& encoders);
    void joinParts(Split& split);

    const lzh::WriterSettings m_settings;
    const std::string m_scratchBeside;
    const CarryFrom m_carry;
    std::mutex m_splitsMutex;
    // Large files being packed in parts, oldest first; their parts go before new members.
    std::deque<std::unique_ptr<Split>> m_splits;
    // Last, so that its workers start once the rest is in place.
    Queue m_queue;
};

} // namespace archiver
