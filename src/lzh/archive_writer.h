#pragma once
// Writes a new archive member by member: packed data prepared elsewhere, or files stored as they
// are. A stored member's header goes first with placeholder sizes and is rewritten in place once
// the data is out, so no member is ever held whole in memory.

#include "base/status.h"
#include "lzh/archive_reader.h"
#include "lzh/codec.h"
#include "lzh/codec/bit_joiner.h"
#include "lzh/content_digest.h"
#include "lzh/member.h"
#include "lzh/member_record.h"
#include "platform/file_io.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lzh {

struct WriterSettings {
    Method method = Method::Lh7; // the compressed method; Lh0 stores everything
    Effort effort = Effort::Fast;
};

// A file, folder or link to pack, as the folder walk found it.
struct SourceEntry {
    MemberKind kind = MemberKind::File;
    std::string archivePath; // UTF-8, relative, '/' between components
    std::string sourcePath;  // where to read it
    std::string linkTarget;  // Symlink only
    std::uint64_t size = 0;  // as the walk saw it; the file may change before it is read
    std::int64_t mtime = 0;
    std::uint16_t unixMode = 0644;
    bool readOnly = false;
    std::optional<platform::FileIdentity> identity; // files, where the walk learnt it
};

// The error for a source file that could not be read, with its path. Never DiskFull: that would
// read as the archive's disk being full, and the caller skips the file instead.
base::Status sourceError(const std::string& path);

// Reports bytes of the current member's input consumed; returns false to cancel.
using ChunkProgress = std::function<bool(std::uint64_t bytes)>;

// Bytes of a member's data: head in memory, then restSize bytes to read from rest (from where it
// stands). bits is the stream's length in bits: when a large file is packed in parts, each part's
// stream goes on inside the last byte of the one before, and only the last part keeps its padding.
struct PackedPart {
    std::vector<std::uint8_t> head;
    std::FILE* rest = nullptr;
    std::uint64_t restSize = 0;
    std::uint64_t bits = 0;

    std::uint64_t size() const { return head.size() + restSize; }
};

// A member's data, packed, in one part or in several to join. A record, when given, goes into
// the header; its packed digest is taken as the data goes out unless packedDigestKnown.
struct PackedData {
    Method method = Method::Lh0;
    std::uint16_t crc = 0;
    std::uint64_t originalSize = 0;
    const std::vector<PackedPart>& parts;
    std::optional<MemberRecord> record = std::nullopt;
    bool packedDigestKnown = false;
};

// A record to complete while a file is stored as read: its content and packed digests are taken
// from the bytes written. partEnds as ContentHasher takes them.
struct RecordToComplete {
    MemberRecord record;
    std::vector<std::uint64_t> partEnds;
};

// A member's packed data copied from another archive: read hands them to its sink in pieces and
// returns false when they cannot all be read. The record is complete: its packed digest is that
// of the bytes to copy.
struct CopiedData {
    Method method = Method::Lh0;
    std::uint16_t crc = 0;
    std::uint64_t originalSize = 0;
    std::uint64_t packedSize = 0;
    MemberRecord record;
    std::function<bool(const ByteSink& sink)> read;
};

class ArchiveWriter {
public:
    ArchiveWriter();
    ~ArchiveWriter();

    base::Status create(const std::string& path);
    // Adds a folder or a link, or a file stored -lh0- as read from its source. When the source
    // cannot be read (it vanished, access denied, read error) the error carries the source path
    // and the archive is as before the call: the caller may skip it and go on. After a write
    // error or cancellation broken() is true and the archive is lost.
    base::Status addEntry(const SourceEntry& entry, const ChunkProgress& progress,
                          const RecordToComplete* record = nullptr);
    // Adds a file whose packed bytes are ready.
    base::Status addPrepared(const SourceEntry& entry, const PackedData& data);
    // Adds a file whose packed bytes come from another archive, under a header of its own.
    base::Status addCopied(const SourceEntry& entry, const CopiedData& data);
    // Copies the member the reader stands on, header and packed data unchanged.
    base::Status addRaw(ArchiveReader& reader);
    // Writes the end mark, flushes the file to the disk and closes it.
    base::Status finish();
    // Closes the file without finishing it, so the caller can delete it (Windows cannot delete an
    // open file).
    void abandon();
    bool broken() const { return m_broken; }
    const std::string& path() const { return m_path; }
    // Where the next member's header goes.
    std::uint64_t offset() const { return m_offset; }

private:
    struct Member;
    base::Status write(const void* data, std::size_t size);
    base::Status beginMember(Member& member);
    base::Status endMember(Member& member);
    void rollBack(Member& member);
    base::Status storeData(std::FILE* source, Member& member, const ChunkProgress& progress, ContentHasher* content);
    base::Status writeParts(const std::vector<PackedPart>& parts);
    base::Status writeJoined(const PackedPart& part, codec::BitJoiner& joiner);

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::uint64_t m_offset = 0;  // where the next byte goes
    std::uint64_t m_written = 0; // how far the file reaches, rolled-back bytes included
    bool m_broken = false;
    std::vector<std::uint8_t> m_buffer;
    std::vector<char> m_fileBuffer; // stdio's buffer for m_file, which it outlives
    Sha256* m_digest = nullptr;     // while set, takes every byte written
};

} // namespace lzh
