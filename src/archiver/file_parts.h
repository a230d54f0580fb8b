#pragma once
// One large file packed in parts on several threads at once. Each part's encoder first takes in
// the bytes before the part as history, so matches reach across the cuts; the parts' streams are
// joined bit to bit when the member is written, and their CRCs combined. A part also notes the
// CRC of the history it read and of its own last bytes: when the file changes while it is read,
// the next part's history differs from what the part before it packed, and joining them would
// decode wrong.

#include "base/status.h"
#include "lzh/archive_writer.h"
#include "lzh/codec.h"
#include "lzh/sha256.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace archiver {

// Bytes before a part that its encoder takes as history: the widest window of any method.
inline constexpr std::uint64_t kPartHistory = 64 * 1024;

struct FilePart {
    std::uint64_t offset = 0;
    std::uint64_t size = 0; // the last part reads on to the end of the file, however long it is now
    bool last = false;
};

// The parts a file of size bytes is packed in; a single part when it is too small to split.
std::vector<FilePart> planParts(std::uint64_t size);
// Where each of those parts but the last ends, as lzh::ContentHasher takes them.
std::vector<std::uint64_t> partEnds(std::uint64_t size);

struct PackedFilePart {
    enum class Outcome {
        Packed,
        Stopped, // the pack stops, or another part failed first
        Changed, // the file was shorter than planned: another process is writing it
        Failed,  // status says why; scratchFailed when the scratch file could not be written
    };
    Outcome outcome = Outcome::Failed;
    base::Status status;
    bool scratchFailed = false;
    lzh::PackedPart packed;
    std::uint16_t crc = 0;        // of the part's bytes
    std::uint64_t read = 0;       // the part's bytes, as read
    std::uint16_t historyCrc = 0; // of the history as this part read it
    std::uint16_t tailCrc = 0;    // of the part's last kPartHistory bytes, for the next part
    lzh::Sha256Digest digest{};   // SHA-256 of the part's bytes, for the member's record
};

struct PartContext {
    const std::string& sourcePath;
    const std::string& scratchBeside;     // scratch files are made beside it
    const std::atomic<bool>& giveUp;      // the pack stops, or another part failed
    std::atomic<std::uint64_t>& consumed; // grows by the bytes read, for the progress
};

// Packs part of the file with encoder (which it resets), reading through buffer.
PackedFilePart packPart(const FilePart& part, lzh::Encoder& encoder, std::vector<std::uint8_t>& buffer,
                        const PartContext& context);

// Keeps packed bytes: in memory up to memoryLimit, the rest in a scratch file beside
// scratchBeside. On failure sets status and returns false.
bool keepPacked(lzh::PackedPart& part, const std::uint8_t* data, std::size_t size, std::size_t memoryLimit,
                const std::string& scratchBeside, base::Status& status);

} // namespace archiver
