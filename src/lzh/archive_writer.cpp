#include "lzh/archive_writer.h"

#include "lzh/header_writer.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace lzh {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
// From this size on a member gets 64-bit sizes; the margin lets a file grow while it is read.
constexpr std::uint64_t kWideSizeThreshold = 0xF0000000u;

// The header of a file member whose data is known before it is written.
HeaderFields fileFields(const SourceEntry& entry, Method method, std::uint16_t crc, std::uint64_t originalSize,
                        std::uint64_t packedSize, const std::optional<MemberRecord>& record)
{
    HeaderFields fields;
    fields.kind = MemberKind::File;
    fields.path = entry.archivePath;
    fields.mtime = entry.mtime;
    fields.unixMode = entry.unixMode;
    fields.readOnly = entry.readOnly;
    fields.method = method;
    fields.crc = crc;
    fields.originalSize = originalSize;
    fields.packedSize = packedSize;
    fields.wideSizes = originalSize > 0xFFFFFFFFu || packedSize > 0xFFFFFFFFu;
    fields.record = record;
    return fields;
}

} // namespace

base::Status sourceError(const std::string& path)
{
    base::Status status = platform::lastSystemError(path);
    return base::Status::error(status.code() == base::ErrorCode::DiskFull ? base::ErrorCode::IoError : status.code(),
                               status.detail(), path);
}

struct ArchiveWriter::Member {
    HeaderFields fields;
    std::string header;
    std::fpos_t headerPos{};
    std::uint64_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
};

ArchiveWriter::ArchiveWriter() : m_buffer(kChunkSize), m_fileBuffer(kChunkSize) {}

ArchiveWriter::~ArchiveWriter()
{
    if (m_file)
        std::fclose(m_file);
}

void ArchiveWriter::abandon()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_broken = true;
}

base::Status ArchiveWriter::create(const std::string& path)
{
    m_path = path;
    m_file = platform::openFile(path, "wb");
    if (!m_file)
        return platform::lastSystemError(path);
    // Headers and small members come a few hundred bytes at a time: gather them into large writes
    // (stdio would pick the file system's block size, often 4 KiB).
    std::setvbuf(m_file, m_fileBuffer.data(), _IOFBF, m_fileBuffer.size());
    return base::Status::success();
}

base::Status ArchiveWriter::write(const void* data, std::size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, m_file) != size) {
        m_broken = true;
        return platform::lastSystemError(m_path);
    }
    if (m_digest)
        m_digest->update(data, size);
    m_offset += size;
    m_written = std::max(m_written, m_offset);
    return base::Status::success();
}

base::Status ArchiveWriter::beginMember(Member& member)
{
    auto header = buildLevel2Header(member.fields);
    if (!header.ok())
        return header.status();
    member.header = std::move(*header);
    member.headerOffset = m_offset;
    if (std::fgetpos(m_file, &member.headerPos) != 0) {
        m_broken = true;
        return platform::lastSystemError(m_path);
    }
    if (auto status = write(member.header.data(), member.header.size()); !status.ok())
        return status;
    member.dataOffset = m_offset;
    return base::Status::success();
}

// Rewrites the header with the final method, sizes and CRC; its length cannot change.
base::Status ArchiveWriter::endMember(Member& member)
{
    member.fields.packedSize = m_offset - member.dataOffset;
    if (!member.fields.wideSizes &&
        (member.fields.originalSize > 0xFFFFFFFFu || member.fields.packedSize > 0xFFFFFFFFu)) {
        rollBack(member);
        return base::Status::error(base::ErrorCode::IoError, "file grew past 4 GiB while it was read",
                                   member.fields.path);
    }
    auto header = buildLevel2Header(member.fields);
    std::fpos_t end{};
    if (!header.ok() || header->size() != member.header.size() || std::fgetpos(m_file, &end) != 0 ||
        std::fsetpos(m_file, &member.headerPos) != 0 ||
        std::fwrite(header->data(), 1, header->size(), m_file) != header->size() || std::fsetpos(m_file, &end) != 0) {
        m_broken = true;
        return platform::lastSystemError(m_path);
    }
    return base::Status::success();
}

void ArchiveWriter::rollBack(Member& member)
{
    if (std::fsetpos(m_file, &member.headerPos) != 0)
        m_broken = true;
    m_offset = member.headerOffset;
}

base::Status ArchiveWriter::storeData(std::FILE* source, Member& member, const ChunkProgress& progress,
                                      ContentHasher* content)
{
    member.fields.method = Method::Lh0;
    member.fields.crc = 0;
    member.fields.originalSize = 0;
    for (;;) {
        const std::size_t got = std::fread(m_buffer.data(), 1, m_buffer.size(), source);
        if (got < m_buffer.size() && std::ferror(source))
            return sourceError(member.fields.path);
        if (got == 0)
            return base::Status::success();
        member.fields.crc = crc16(member.fields.crc, m_buffer.data(), got);
        member.fields.originalSize += got;
        if (content)
            content->update(m_buffer.data(), got);
        if (auto status = write(m_buffer.data(), got); !status.ok())
            return status;
        if (progress && !progress(got)) {
            m_broken = true;
            return base::Status::error(base::ErrorCode::Cancelled, "cancelled");
        }
    }
}

base::Status ArchiveWriter::addEntry(const SourceEntry& entry, const ChunkProgress& progress,
                                     const RecordToComplete* record)
{
    Member member;
    member.fields.kind = entry.kind;
    member.fields.path = entry.archivePath;
    member.fields.linkTarget = entry.linkTarget;
    member.fields.mtime = entry.mtime;
    member.fields.unixMode = entry.unixMode;
    member.fields.readOnly = entry.readOnly;
    member.fields.method = entry.kind == MemberKind::File ? Method::Lh0 : Method::Lhd;
    if (entry.kind != MemberKind::File) {
        // No data: the header is final as it stands, and needs no rewriting in place.
        auto header = buildLevel2Header(member.fields);
        if (!header.ok())
            return header.status();
        return write(header->data(), header->size());
    }
    std::FILE* source = platform::openFile(entry.sourcePath, "rb");
    if (!source)
        return sourceError(entry.sourcePath);
    // Read in whole chunks of m_buffer: stdio's buffer would only copy them once more.
    std::setvbuf(source, nullptr, _IONBF, 0);
    member.fields.wideSizes = entry.size >= kWideSizeThreshold;
    std::optional<ContentHasher> content;
    Sha256 packed;
    if (record) {
        member.fields.record = record->record;
        content.emplace(record->partEnds);
    }
    base::Status status = beginMember(member);
    if (status.ok()) {
        m_digest = record ? &packed : nullptr;
        status = storeData(source, member, progress, content ? &*content : nullptr);
        m_digest = nullptr;
    }
    std::fclose(source);
    if (status.ok() && record) {
        member.fields.record->content = recordDigest(content->finish());
        member.fields.record->packed = recordDigest(packed.finish());
    }
    if (status.ok())
        return endMember(member);
    if (!m_broken)
        rollBack(member);
    return base::Status::error(status.code(), status.detail(), m_broken ? status.path() : entry.sourcePath);
}

base::Status ArchiveWriter::addPrepared(const SourceEntry& entry, const PackedData& data)
{
    std::uint64_t bits = 0;
    for (const PackedPart& part : data.parts)
        bits += part.bits;
    Member member;
    member.fields = fileFields(entry, data.method, data.crc, data.originalSize, (bits + 7) / 8, data.record);
    HeaderFields& fields = member.fields;
    // A record still without its packed digest: the header is rewritten once the data is out.
    const bool rewrite = data.record && !data.packedDigestKnown;
    if (rewrite) {
        if (auto status = beginMember(member); !status.ok())
            return base::Status::error(status.code(), status.detail(), m_broken ? status.path() : entry.sourcePath);
    } else {
        auto header = buildLevel2Header(fields);
        if (!header.ok())
            return base::Status::error(header.status().code(), header.status().detail(), entry.sourcePath);
        if (auto status = write(header->data(), header->size()); !status.ok())
            return status;
    }
    Sha256 packed;
    m_digest = rewrite ? &packed : nullptr;
    base::Status status = writeParts(data.parts);
    m_digest = nullptr;
    if (!status.ok() || !rewrite)
        return status;
    fields.record->packed = recordDigest(packed.finish());
    return endMember(member);
}

base::Status ArchiveWriter::writeParts(const std::vector<PackedPart>& parts)
{
    codec::BitJoiner joiner;
    for (const PackedPart& part : parts) {
        joiner.startStream(part.bits);
        if (auto status = writeJoined(part, joiner); !status.ok())
            return status;
    }
    std::uint8_t last = 0;
    if (joiner.finish(last))
        return write(&last, 1);
    return base::Status::success();
}

base::Status ArchiveWriter::addCopied(const SourceEntry& entry, const CopiedData& data)
{
    const HeaderFields fields =
        fileFields(entry, data.method, data.crc, data.originalSize, data.packedSize, data.record);
    auto header = buildLevel2Header(fields);
    if (!header.ok())
        return base::Status::error(header.status().code(), header.status().detail(), entry.sourcePath);
    if (auto status = write(header->data(), header->size()); !status.ok())
        return status;
    base::Status writeStatus;
    std::uint64_t copied = 0;
    const bool read = data.read([&](const std::uint8_t* bytes, std::size_t size) {
        copied += size;
        writeStatus = write(bytes, size);
        return writeStatus.ok();
    });
    if (!writeStatus.ok())
        return writeStatus;
    if (!read || copied != data.packedSize) {
        m_broken = true;
        return base::Status::error(base::ErrorCode::IoError, "cannot read the packed data to copy", m_path);
    }
    return base::Status::success();
}

base::Status ArchiveWriter::writeJoined(const PackedPart& part, codec::BitJoiner& joiner)
{
    // A single part, or one that ends on a byte boundary after others that did, goes out as it is.
    const bool unchanged = joiner.passesUnchanged();
    if (unchanged) {
        if (auto status = write(part.head.data(), part.head.size()); !status.ok())
            return status;
    } else {
        for (std::size_t done = 0; done < part.head.size();) {
            const std::size_t n = std::min(part.head.size() - done, m_buffer.size());
            std::memcpy(m_buffer.data(), part.head.data() + done, n);
            if (auto status = write(m_buffer.data(), joiner.join(m_buffer.data(), n)); !status.ok())
                return status;
            done += n;
        }
    }
    for (std::uint64_t left = part.restSize; left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, m_buffer.size()));
        if (std::fread(m_buffer.data(), 1, want, part.rest) != want) {
            m_broken = true;
            return base::Status::error(base::ErrorCode::IoError, "cannot read back the packed data", m_path);
        }
        const std::size_t out = unchanged ? want : joiner.join(m_buffer.data(), want);
        if (auto status = write(m_buffer.data(), out); !status.ok())
            return status;
        left -= want;
    }
    return base::Status::success();
}

base::Status ArchiveWriter::addRaw(ArchiveReader& reader)
{
    if (auto status = write(reader.rawHeader().data(), reader.rawHeader().size()); !status.ok())
        return status;
    base::Status writeStatus;
    auto status = reader.copyPacked([&](const std::uint8_t* data, std::size_t size) {
        writeStatus = write(data, size);
        return writeStatus.ok();
    });
    if (!writeStatus.ok())
        return writeStatus;
    if (!status.ok())
        m_broken = true;
    return status;
}

base::Status ArchiveWriter::finish()
{
    const std::uint8_t endMark = 0;
    if (auto status = write(&endMark, 1); !status.ok())
        return status;
    const bool mustTruncate = m_written > m_offset;
    if (!mustTruncate) {
        auto status = platform::syncFile(m_file, m_path);
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!status.ok() || !closed) {
            m_broken = true;
            return status.ok() ? platform::lastSystemError(m_path) : status;
        }
        return base::Status::success();
    }
    // A member rolled back after its source failed part way may leave bytes past the end mark.
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    std::error_code ec;
    std::filesystem::resize_file(platform::toPath(m_path), m_offset, ec);
    std::FILE* file = closed && !ec ? platform::openFile(m_path, "rb+") : nullptr;
    if (!file) {
        m_broken = true;
        return base::Status::error(base::ErrorCode::IoError, ec ? ec.message() : "cannot reopen the archive", m_path);
    }
    auto status = platform::syncFile(file, m_path);
    std::fclose(file);
    if (!status.ok())
        m_broken = true;
    return status;
}

} // namespace lzh
