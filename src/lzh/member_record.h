#pragma once
// What the packer noted about a file when it packed it, kept in an ext header of the member
// (type kRecordExtType, which no other archiver uses or reserves; readers skip types they do
// not know). A later pack uses it to tell an unchanged file and copy its packed bytes instead
// of compressing it again.

#include "lzh/sha256.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lzh {

inline constexpr std::uint8_t kRecordExtType = 0x66;

// The first half of a SHA-256. 128 bits tell apart any two contents not built to collide, and
// every member carries two of them, so the full 256 would cost the archive a percent of its size.
using RecordDigest = std::array<std::uint8_t, 16>;
RecordDigest recordDigest(const Sha256Digest& full);

struct MemberRecord {
    // Which encoder and settings made the packed bytes: only bytes a pack would make again are
    // copied, so that a copied member is what compressing would have given.
    std::uint16_t packing = 0;
    // The change time was seconds older than the pack's start, so any later change to the file
    // shows in it, however coarse the file system's clock.
    bool settled = false;
    // The file as it was examined before it was read; times in the system's own unit.
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0; // 0 where the file system keeps no change time
    std::uint64_t device = 0;
    std::uint64_t number = 0;
    RecordDigest content{}; // of the bytes packed, see lzh/content_digest.h
    RecordDigest packed{};  // of the member's packed data as written

    bool operator==(const MemberRecord&) const = default;
};

// The payload's length depends on the numbers only, never on the digests, so a header written
// before its member's data can be rewritten in place once the digests are known.
std::string encodeRecord(const MemberRecord& record);
// nullopt for a payload of another length or version: such a record is ignored.
std::optional<MemberRecord> decodeRecord(std::string_view payload);

} // namespace lzh
