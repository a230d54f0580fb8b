#pragma once
// What the packer noted about a file when it packed it, kept in an ext header of the member
// (type kRecordExtType, which no other archiver uses or reserves; readers skip types they do
// not know). A later pack uses it to tell an unchanged file and copy its packed bytes instead
// of compressing it again.

#include "lzh/sha256.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lzh {

inline constexpr std::uint8_t kRecordExtType = 0x66;

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
    Sha256Digest content{}; // of the bytes packed, see archiver/content_digest.h
    Sha256Digest packed{};  // of the member's packed data as written

    bool operator==(const MemberRecord&) const = default;
};

std::string encodeRecord(const MemberRecord& record);
// nullopt for a payload of another length or version: such a record is ignored.
std::optional<MemberRecord> decodeRecord(std::string_view payload);

} // namespace lzh
