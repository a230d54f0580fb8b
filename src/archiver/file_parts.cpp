#include "archiver/file_parts.h"

#include "lzh/file_stream.h"
#include "lzh/sha256.h"
#include "platform/file_io.h"

#include <algorithm>

namespace archiver {
namespace {

// Parts are at least this large, so the history each one takes in first costs little; a file is
// cut in at most kMostParts, which bounds the scratch files one member holds open.
constexpr std::uint64_t kMinPartSize = 1024 * 1024;
constexpr std::uint64_t kMostParts = 32;
// A part keeps this much of its packed bytes in memory before its scratch file: every part of a
// member waits until the last is done.
constexpr std::size_t kPartInMemory = 64 * 1024;

class OpenFile {
public:
    explicit OpenFile(std::FILE* file) : m_file(file) {}
    ~OpenFile()
    {
        if (m_file)
            std::fclose(m_file);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    std::FILE* get() const { return m_file; }

private:
    std::FILE* m_file;
};

} // namespace

std::vector<FilePart> planParts(std::uint64_t size)
{
    const std::uint64_t partSize = std::max(kMinPartSize, (size + kMostParts - 1) / kMostParts);
    std::vector<FilePart> parts;
    for (std::uint64_t offset = 0; offset == 0 || offset < size; offset += partSize)
        parts.push_back({offset, std::min(partSize, size - offset), false});
    // A short tail joins the part before it rather than standing alone.
    if (parts.size() > 1 && parts.back().size < partSize / 2) {
        parts[parts.size() - 2].size += parts.back().size;
        parts.pop_back();
    }
    parts.back().last = true;
    return parts;
}

std::vector<std::uint64_t> partEnds(std::uint64_t size)
{
    std::vector<std::uint64_t> ends;
    for (const FilePart& part : planParts(size))
        if (!part.last)
            ends.push_back(part.offset + part.size);
    return ends;
}

bool keepPacked(lzh::PackedPart& part, const std::uint8_t* data, std::size_t size, std::size_t memoryLimit,
                const std::string& scratchBeside, base::Status& status)
{
    if (!part.rest && part.head.size() + size <= memoryLimit) {
        part.head.insert(part.head.end(), data, data + size);
        return true;
    }
    if (!part.rest)
        part.rest = platform::openScratchFile(scratchBeside);
    if (!part.rest || std::fwrite(data, 1, size, part.rest) != size) {
        status = platform::lastSystemError(scratchBeside);
        return false;
    }
    part.restSize += size;
    return true;
}

PackedFilePart packPart(const FilePart& part, lzh::Encoder& encoder, std::vector<std::uint8_t>& buffer,
                        const PartContext& context)
{
    using Outcome = PackedFilePart::Outcome;
    PackedFilePart result;
    const OpenFile source(platform::openFile(context.sourcePath, "rb"));
    if (!source.get()) {
        result.status = lzh::sourceError(context.sourcePath);
        return result;
    }
    const std::uint64_t historySize = std::min(part.offset, kPartHistory);
    if (!lzh::skipForward(source.get(), part.offset - historySize)) {
        result.status = lzh::sourceError(context.sourcePath);
        return result;
    }
    if (std::fread(buffer.data(), 1, historySize, source.get()) != historySize) {
        if (std::ferror(source.get()))
            result.status = lzh::sourceError(context.sourcePath);
        else
            result.outcome = Outcome::Changed;
        return result;
    }
    result.historyCrc = lzh::crc16(0, buffer.data(), historySize);
    encoder.resetAfter(buffer.data(), historySize);

    // A part that does not shrink goes on: the savings of the others may make up for it, and
    // whether the member is worth packing is judged on all its parts.
    const lzh::ByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
        if (keepPacked(result.packed, data, size, kPartInMemory, context.scratchBeside, result.status))
            return true;
        result.scratchFailed = true;
        return false;
    };
    lzh::Sha256 digest;
    const std::uint64_t end = part.offset + part.size;
    const std::uint64_t tailFrom = end - std::min(part.size, kPartHistory);
    for (std::uint64_t at = part.offset;;) {
        const std::size_t want =
            part.last ? buffer.size() : static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), end - at));
        if (want == 0)
            break;
        const std::size_t got = std::fread(buffer.data(), 1, want, source.get());
        if (got < want && std::ferror(source.get())) {
            result.status = lzh::sourceError(context.sourcePath);
            return result;
        }
        result.crc = lzh::crc16(result.crc, buffer.data(), got);
        digest.update(buffer.data(), got);
        if (!part.last && at + got > tailFrom) {
            const std::uint64_t from = std::max(at, tailFrom);
            result.tailCrc =
                lzh::crc16(result.tailCrc, buffer.data() + (from - at), static_cast<std::size_t>(at + got - from));
        }
        at += got;
        result.read += got;
        context.consumed += got;
        if (context.giveUp) {
            result.outcome = Outcome::Stopped;
            return result;
        }
        if (got > 0 && !encoder.write(buffer.data(), got, sink).ok())
            return result;
        if (got < want)
            break;
    }
    if (!part.last && result.read != part.size) {
        result.outcome = Outcome::Changed;
        return result;
    }
    if (!encoder.finish(sink).ok())
        return result;
    if (result.packed.rest &&
        (std::fflush(result.packed.rest) != 0 || std::fseek(result.packed.rest, 0, SEEK_SET) != 0)) {
        result.status = platform::lastSystemError(context.scratchBeside);
        result.scratchFailed = true;
        return result;
    }
    result.packed.bits = encoder.compressedBits();
    result.digest = digest.finish();
    result.outcome = Outcome::Packed;
    return result;
}

} // namespace archiver
