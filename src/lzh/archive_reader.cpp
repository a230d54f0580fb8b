#include "lzh/archive_reader.h"

#include "lzh/file_stream.h"
#include "lzh/header_reader.h"

#include <algorithm>
#include <vector>

namespace lzh {
namespace {

constexpr std::size_t kCopyChunk = 64 * 1024;

} // namespace

ArchiveReader::ArchiveReader() = default;
ArchiveReader::~ArchiveReader() = default;

base::Status ArchiveReader::open(const StreamSource& source, ArchiveStart start)
{
    const std::uint64_t offset = findArchiveStart(source, start);
    auto stream = source();
    if (!stream.ok())
        return stream.status();
    m_stream = std::move(*stream);
    return offset == 0 ? base::Status::success() : m_stream->skip(offset);
}

base::Status ArchiveReader::open(const std::string& path, ArchiveStart start)
{
    return open(fileSource(path), start);
}

base::Result<std::optional<MemberInfo>> ArchiveReader::next()
{
    if (m_haveMember && m_stream->offset() < m_dataEnd) {
        if (auto status = m_stream->skip(m_dataEnd - m_stream->offset()); !status.ok())
            return status;
    }
    m_haveMember = false;
    const std::uint64_t start = m_stream->offset();
    auto header = readHeader(*m_stream, &m_names);
    if (!header.ok())
        return header.status();
    if (!header->has_value()) {
        // The end mark is the one byte read; at the end of the file nothing could be.
        m_endMarkSeen = m_stream->offset() != start;
        return std::optional<MemberInfo>();
    }
    m_member = std::move((*header)->info);
    m_rawHeader = std::move((*header)->raw);
    m_dataEnd = m_member.dataOffset + m_member.packedSize;
    m_haveMember = true;
    return std::optional<MemberInfo>(m_member);
}

base::Status ArchiveReader::readData(const ByteSink& sink)
{
    if (!m_haveMember || m_stream->offset() != m_member.dataOffset)
        return base::Status::error(base::ErrorCode::InvalidArgument, "no member to read");
    if (!m_member.method)
        return base::Status::error(base::ErrorCode::Unsupported, "unsupported method " + m_member.methodId,
                                   m_member.path);
    if (*m_member.method == Method::Lhd)
        return base::Status::success();
    auto& decoder = m_decoders[static_cast<std::size_t>(*m_member.method)];
    if (!decoder)
        decoder = std::make_unique<Decoder>(*m_member.method);
    const ByteSource source = [this](std::uint8_t* buffer, std::size_t capacity) -> std::ptrdiff_t {
        const std::uint64_t left = m_dataEnd - m_stream->offset();
        return m_stream->read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(capacity, left)));
    };
    std::uint16_t crc = 0;
    const ByteSink checking = [&](const std::uint8_t* data, std::size_t size) {
        crc = crc16(crc, data, size);
        return sink(data, size);
    };
    auto status = decoder->decode(source, m_member.packedSize, m_member.originalSize, checking);
    if (!status.ok())
        return base::Status::error(status.code(), status.detail(), m_member.path);
    if (crc != m_member.crc)
        return base::Status::error(base::ErrorCode::Corrupt, "CRC mismatch", m_member.path);
    return base::Status::success();
}

base::Status ArchiveReader::copyPacked(const ByteSink& sink)
{
    // Kept from member to member: most are a few KB, and a fresh buffer cost more than them.
    std::vector<std::uint8_t>& buffer = m_copyBuffer;
    buffer.resize(kCopyChunk);
    while (m_stream->offset() < m_dataEnd) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, m_dataEnd - m_stream->offset()));
        const auto got = m_stream->read(buffer.data(), want);
        if (got <= 0)
            return base::Status::error(base::ErrorCode::Corrupt, "archive ends inside member data", m_member.path);
        if (!sink(buffer.data(), static_cast<std::size_t>(got)))
            return base::Status::error(base::ErrorCode::Cancelled, "copy stopped", m_member.path);
    }
    return base::Status::success();
}

} // namespace lzh
