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

constexpr std::size_t kWindowSize = 128 * 1024;
// Packed data is handed on in pieces of this size, so a piece always fits the window.
constexpr std::size_t kPiece = 64 * 1024;

std::uint64_t nameHash(const std::string& name)
{
    return std::hash<std::string>{}(name);
}

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

// The archive from an offset on, read through the reader's window, for one header.
class CarrySource::Reader::Stream final : public lzh::InputStream {
public:
    Stream(Reader& reader, std::uint64_t offset) : m_reader(reader), m_offset(offset) {}
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override
    {
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, this->size() - std::min(this->size(), m_offset)));
        const std::uint8_t* bytes = size > 0 ? m_reader.bytesAt(m_offset, size) : buffer;
        if (!bytes)
            return -1;
        std::copy_n(bytes, size, buffer);
        m_offset += size;
        return static_cast<std::ptrdiff_t>(size);
    }
    base::Status skip(std::uint64_t count) override
    {
        m_offset += count;
        return base::Status::success();
    }
    std::uint64_t offset() const override { return m_offset; }
    std::uint64_t size() const override { return m_reader.m_source.m_size; }

private:
    Reader& m_reader;
    std::uint64_t m_offset;
};

CarrySource::Reader::Reader(const CarrySource& source) : m_source(source), m_window(kWindowSize) {}

CarrySource::Reader::~Reader()
{
    if (m_file)
        std::fclose(m_file);
}

const std::uint8_t* CarrySource::Reader::bytesAt(std::uint64_t offset, std::size_t size)
{
    if (offset >= m_windowStart && offset + size <= m_windowStart + m_windowSize)
        return m_window.data() + (offset - m_windowStart);
    if (!m_file && !m_openFailed) {
        m_file = platform::openFile(m_source.m_path, "rb");
        m_openFailed = !m_file;
        if (m_file)
            std::setvbuf(m_file, nullptr, _IONBF, 0); // the window is the buffer
    }
    m_windowSize = 0;
    if (!m_file || size > m_window.size())
        return nullptr;
    std::rewind(m_file);
    if (!lzh::skipForward(m_file, offset))
        return nullptr;
    m_windowStart = offset;
    m_windowSize = std::fread(m_window.data(), 1, m_window.size(), m_file);
    return size <= m_windowSize ? m_window.data() : nullptr;
}

std::optional<lzh::MemberInfo> CarrySource::Reader::find(const std::string& archivePath)
{
    const std::uint64_t hash = nameHash(archivePath);
    auto [first, last] = std::equal_range(m_source.m_members.begin(), m_source.m_members.end(), Entry{hash, 0},
                                          [](const Entry& a, const Entry& b) { return a.nameHash < b.nameHash; });
    std::optional<lzh::MemberInfo> found;
    for (auto it = first; it != last; ++it) {
        Stream stream(*this, it->headerOffset);
        auto header = lzh::readHeader(stream);
        if (header.ok() && header->has_value() && (*header)->info.path == archivePath && (*header)->info.record)
            found = std::move((*header)->info);
    }
    return found;
}

bool CarrySource::Reader::readPacked(const lzh::MemberInfo& member, const lzh::ByteSink& sink)
{
    for (std::uint64_t done = 0; done < member.packedSize;) {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(member.packedSize - done, kPiece));
        const std::uint8_t* bytes = bytesAt(member.dataOffset + done, piece);
        if (!bytes || !sink(bytes, piece))
            return false;
        done += piece;
    }
    return true;
}

bool CarrySource::Reader::packedBytesMatch(const lzh::MemberInfo& member)
{
    lzh::Sha256 digest;
    const bool read = readPacked(member, [&](const std::uint8_t* data, std::size_t size) {
        digest.update(data, size);
        return true;
    });
    return read && lzh::recordDigest(digest.finish()) == member.record->packed;
}

} // namespace archiver
