#include "archiver/carry_source.h"

#include "lzh/archive_reader.h"
#include "lzh/file_stream.h"
#include "lzh/header_reader.h"
#include "lzh/sha256.h"
#include "platform/file_io.h"

#include <algorithm>
#include <functional>

namespace archiver {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::uint64_t kUnknownPosition = ~std::uint64_t{0};

std::uint64_t nameHash(const std::string& name)
{
    return std::hash<std::string>{}(name);
}

// The archive from where its file stands, for reading one header there.
class FileFrom final : public lzh::InputStream {
public:
    FileFrom(std::FILE* file, std::uint64_t offset, std::uint64_t size) : m_file(file), m_offset(offset), m_size(size)
    {
    }
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override
    {
        const std::size_t got = std::fread(buffer, 1, size, m_file);
        if (got < size && std::ferror(m_file))
            return -1;
        m_offset += got;
        return static_cast<std::ptrdiff_t>(got);
    }
    base::Status skip(std::uint64_t count) override
    {
        if (!lzh::skipForward(m_file, count))
            return base::Status::error(base::ErrorCode::IoError, "cannot seek");
        m_offset += count;
        return base::Status::success();
    }
    std::uint64_t offset() const override { return m_offset; }
    std::uint64_t size() const override { return m_size; }

private:
    std::FILE* m_file;
    std::uint64_t m_offset;
    std::uint64_t m_size;
};

} // namespace

CarrySource::CarrySource(const std::string& archive) : m_path(archive)
{
    lzh::ArchiveReader reader;
    if (!reader.open(archive).ok())
        return;
    m_size = reader.archiveSize();
    for (;;) {
        auto next = reader.next();
        if (!next.ok() || !next->has_value())
            break;
        const lzh::MemberInfo& member = **next;
        if (member.record && member.kind == lzh::MemberKind::File && member.defect.empty())
            m_members.push_back({nameHash(member.path), member.headerOffset});
    }
    std::stable_sort(m_members.begin(), m_members.end(),
                     [](const Entry& a, const Entry& b) { return a.nameHash < b.nameHash; });
    m_members.shrink_to_fit();
}

CarrySource::Reader::Reader(const CarrySource& source) : m_source(source) {}

CarrySource::Reader::~Reader()
{
    if (m_file)
        std::fclose(m_file);
}

bool CarrySource::Reader::seek(std::uint64_t offset)
{
    if (!m_file) {
        m_file = platform::openFile(m_source.m_path, "rb");
        if (!m_file)
            return false;
        // Headers and small members are read a few hundred bytes at a time.
        std::setvbuf(m_file, nullptr, _IOFBF, kReadChunk);
        m_buffer.resize(kReadChunk);
        m_position = 0;
    }
    if (offset == m_position)
        return true;
    std::rewind(m_file);
    const bool moved = lzh::skipForward(m_file, offset);
    m_position = moved ? offset : kUnknownPosition;
    return moved;
}

std::optional<lzh::MemberInfo> CarrySource::Reader::find(const std::string& archivePath)
{
    const std::uint64_t hash = nameHash(archivePath);
    auto [first, last] = std::equal_range(m_source.m_members.begin(), m_source.m_members.end(), Entry{hash, 0},
                                          [](const Entry& a, const Entry& b) { return a.nameHash < b.nameHash; });
    std::optional<lzh::MemberInfo> found;
    for (auto it = first; it != last; ++it) {
        if (!seek(it->headerOffset))
            return std::nullopt;
        FileFrom stream(m_file, it->headerOffset, m_source.m_size);
        auto header = lzh::readHeader(stream);
        m_position = stream.offset();
        if (header.ok() && header->has_value() && (*header)->info.path == archivePath && (*header)->info.record)
            found = std::move((*header)->info);
    }
    return found;
}

bool CarrySource::Reader::packedBytesMatch(const lzh::MemberInfo& member)
{
    if (!seekData(member))
        return false;
    lzh::Sha256 digest;
    for (std::uint64_t left = member.packedSize; left > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, m_buffer.size()));
        const std::size_t got = std::fread(m_buffer.data(), 1, want, m_file);
        m_position += got;
        if (got != want)
            return false;
        digest.update(m_buffer.data(), want);
        left -= want;
    }
    return digest.finish() == member.record->packed;
}

std::FILE* CarrySource::Reader::seekData(const lzh::MemberInfo& member)
{
    if (!seek(member.dataOffset))
        return nullptr;
    // The caller reads the packed data through.
    m_position = member.dataOffset + member.packedSize;
    return m_file;
}

} // namespace archiver
