#pragma once
// Reads an archive member by member, front to back, holding one header and fixed-size buffers at
// a time whatever the archive's size.

#include "base/status.h"
#include "lzh/archive_start.h"
#include "lzh/codec.h"
#include "lzh/input_stream.h"
#include "lzh/member.h"
#include "lzh/member_name.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lzh {

class ArchiveReader {
public:
    ArchiveReader();
    ~ArchiveReader();

    // Opens a stream from source and reads the archive from where start says it begins. An error
    // is the source's own (NotFound, IoError, ...).
    base::Status open(const StreamSource& source, ArchiveStart start = ArchiveStart::AtFirstByte);
    base::Status open(const std::string& path, ArchiveStart start = ArchiveStart::AtFirstByte);
    // The next member's header (skipping whatever of the previous member's data was not read), or
    // nullopt at the end. Corrupt means the archive cannot be followed past this point.
    base::Result<std::optional<MemberInfo>> next();
    // Once next() has found the end: whether it was the 0x00 end mark rather than the end of the
    // file. Other readers accept an archive without the mark, but one cut off right after a
    // member looks exactly like that, so a test that vouches for the whole archive needs the mark.
    bool endMarkSeen() const { return m_endMarkSeen; }
    // Decodes the data of the member next() returned and checks its CRC-16: Corrupt on a damaged
    // stream or CRC mismatch, Unsupported for a method we cannot decode, or the sink's refusal
    // (Cancelled) when it returns false.
    base::Status readData(const ByteSink& sink);
    // The member's header bytes as stored and its packed data, for copying it unchanged.
    const std::string& rawHeader() const { return m_rawHeader; }
    base::Status copyPacked(const ByteSink& sink);
    std::uint64_t archiveSize() const { return m_stream->size(); }
    std::uint64_t position() const { return m_stream->offset(); }

private:
    std::unique_ptr<InputStream> m_stream;
    MemberInfo m_member;
    std::string m_rawHeader;
    bool m_haveMember = false;
    bool m_endMarkSeen = false;
    std::uint64_t m_dataEnd = 0;
    DirectoryNameCache m_names;
    std::vector<std::uint8_t> m_copyBuffer; // copyPacked's
    std::array<std::unique_ptr<Decoder>, kMethodCount> m_decoders;
};

} // namespace lzh
