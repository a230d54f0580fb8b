#include "lzh/archive_start.h"

#include "lzh/header_reader.h"
#include "lzh/member.h"

#include <algorithm>
#include <vector>

namespace lzh {
namespace {

// How far into the file a header may start. Extractor programs are a few tens of KiB; other
// readers search 64 KiB to 1 MiB.
constexpr std::size_t kSearchBytes = 1024 * 1024;
// The common header prefix, up to and including the level byte.
constexpr std::size_t kPrefixBytes = 21;

// Whether a whole header starts at offset and its checksum or header CRC held.
bool checkedHeaderAt(const StreamSource& source, std::uint64_t offset)
{
    auto stream = source();
    if (!stream.ok() || !(*stream)->skip(offset).ok())
        return false;
    auto header = readHeader(**stream);
    return header.ok() && header->has_value() && (*header)->checked;
}

// A cheap look before the real parse: "-xxx-" with a method we read and a known level.
bool looksLikeHeader(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    if (bytes[at + 2] != '-' || bytes[at + 6] != '-' || bytes[at + 20] > 3)
        return false;
    return methodFromId(std::string(reinterpret_cast<const char*>(&bytes[at + 2]), 5)).has_value();
}

} // namespace

std::uint64_t findArchiveStart(const StreamSource& source, ArchiveStart start)
{
    if (start == ArchiveStart::AtFirstByte)
        return 0;
    auto stream = source();
    if (!stream.ok())
        return 0;
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>((*stream)->size(), kSearchBytes + kPrefixBytes)));
    const std::ptrdiff_t got = (*stream)->read(bytes.data(), bytes.size());
    if (got < static_cast<std::ptrdiff_t>(kPrefixBytes))
        return 0;
    bytes.resize(static_cast<std::size_t>(got));
    // A file that begins like a header (or with the end mark) is an archive, whole or damaged:
    // searching past a damaged first header would pass over its member without a word.
    if (bytes[0] == 0 || (bytes[2] == '-' && bytes[6] == '-'))
        return 0;
    for (std::size_t at = 1; at + kPrefixBytes <= bytes.size() && at < kSearchBytes; ++at)
        if (looksLikeHeader(bytes, at) && checkedHeaderAt(source, at))
            return at;
    return 0;
}

} // namespace lzh
