#pragma once
// Every file of every slot as one history, read from the archives' headers alone (no packed data
// is decoded). Each path (UTF-8, '/'-separated, relative to the protected folder) is kept once,
// with its distinct versions; a version lists the slots that hold it. Two members are the same
// version when size, CRC-16 and modification time agree.
//
// Not thread-safe: build it on a worker thread, then hand it over; refresh it where it is used.

#include "base/status.h"
#include "core/common/date_time.h"
#include "core/find/slot_source.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace core::find {

// A slot whose archive could not be read to its end: its members are left out of the history.
struct DamagedSlot {
    std::string name;
    base::Status status;
};

struct VersionSlot {
    int slot = 0; // index into slots()
    std::string name;
    DateTime stamp;
};

struct Version {
    std::int64_t mtime = 0; // Unix seconds, UTC, as the archive keeps it
    std::uint64_t size = 0;
    std::uint16_t crc = 0;
    std::vector<VersionSlot> slots; // newest stamp first
};

struct SearchHit {
    std::string path;
    int versionCount = 0;
};

struct TreeEntry {
    std::string name; // the last component
    bool isFolder = false;
    int versionCount = 0; // files only
};

// Slots done of all slots; called between slots on the building thread.
using BuildProgress = std::function<void(int slotsDone, int slotCount)>;

class HistoryIndex {
public:
    HistoryIndex();
    ~HistoryIndex();
    HistoryIndex(HistoryIndex&&) noexcept;
    HistoryIndex& operator=(HistoryIndex&&) noexcept;

    // Reads every slot's headers. A missing archive is an empty slot; one that cannot be read to
    // its end is named in damagedSlots(). Stops early (cancelled() true) once cancel is raised.
    static HistoryIndex build(std::vector<SlotSource> slots, const std::atomic<bool>* cancel = nullptr,
                              const BuildProgress& progress = {});

    // Reads one slot again after a backup wrote it (or its stamp changed).
    void refreshSlot(const SlotSource& slot);

    const std::vector<SlotSource>& slots() const;
    const std::vector<DamagedSlot>& damagedSlots() const;
    bool cancelled() const;

    // Files whose name holds the query (see name_match.h), each once, in path order.
    std::vector<SearchHit> search(std::string_view query) const;
    // What lies directly in a folder ("" for the root) in any generation: folders first, by name.
    std::vector<TreeEntry> children(std::string_view folder) const;
    // The distinct versions of a file, newest modification time first; empty when unknown.
    std::vector<Version> versions(std::string_view path) const;
    // The files below folder ("" for all) that the slot holds, with their version there.
    std::vector<std::pair<std::string, Version>> filesInSlot(int slot, std::string_view folder) const;
    std::size_t pathCount() const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

} // namespace core::find
