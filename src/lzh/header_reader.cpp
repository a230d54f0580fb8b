#include "lzh/header_reader.h"

#include "lzh/byte_order.h"
#include "lzh/member_name.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace lzh {
namespace {

// The common prefix up to and including the level byte.
constexpr std::size_t kPrefixSize = 21;
// Level 1 keeps its ext headers outside the base header; more than this is not a real archive.
constexpr std::size_t kMaxLevel1ExtBytes = 256 * 1024;
// Level 3 states its header size in 32 bits; real headers are a few hundred bytes.
constexpr std::uint32_t kMaxLevel3HeaderSize = 256 * 1024;

constexpr std::uint16_t kUnixTypeMask = 0xF000;
constexpr std::uint16_t kUnixTypeSymlink = 0xA000;
constexpr std::uint16_t kUnixTypeDirectory = 0x4000;

base::Status corrupt(const std::string& detail)
{
    return base::Status::error(base::ErrorCode::Corrupt, detail);
}

bool readExact(InputStream& file, std::string& into, std::size_t count)
{
    const std::size_t start = into.size();
    into.resize(start + count);
    const auto got = file.read(reinterpret_cast<std::uint8_t*>(into.data() + start), count);
    return got == static_cast<std::ptrdiff_t>(count);
}

const std::uint8_t* bytesAt(const std::string& s, std::size_t offset)
{
    return reinterpret_cast<const std::uint8_t*>(s.data() + offset);
}

std::int64_t dosTimeToUnix(std::uint32_t dos)
{
    std::tm tm{};
    tm.tm_sec = static_cast<int>((dos & 0x1F) * 2);
    tm.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    tm.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    tm.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    tm.tm_mon = static_cast<int>(((dos >> 21) & 0x0F)) - 1;
    tm.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    return t == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(t);
}

// The facts gathered from an ext-header chain.
struct ExtFields {
    RawName name;
    std::optional<std::size_t> headerCrcOffset; // offset of the 0x00 CRC inside the header
    std::optional<std::uint64_t> packedSize64;
    std::optional<std::uint64_t> originalSize64;
    std::optional<std::uint32_t> unixTime;
    std::uint8_t osId = 0;  // levels 1-3; level 0 has none
    bool unixArea = false;  // level 0 carried the Unix extension area
    bool shortForm = false; // level 2 whose chain ended two bytes past the stated length
};

void takeExt(std::uint8_t type, const std::string& header, std::size_t payload, std::size_t length, ExtFields& ext,
             MemberInfo& info)
{
    const std::uint8_t* p = bytesAt(header, payload);
    switch (type) {
    case 0x00:
        if (length >= 2)
            ext.headerCrcOffset = payload;
        break;
    case 0x01:
        ext.name.nameBytes.assign(header, payload, length);
        break;
    case 0x02:
        ext.name.dirBytes.assign(header, payload, length);
        break;
    case 0x40:
        if (length >= 1)
            info.dosAttributes = p[0];
        break;
    case 0x42:
        if (length >= 16) {
            ext.packedSize64 = readU64(p);
            ext.originalSize64 = readU64(p + 8);
        }
        break;
    case 0x44:
        ext.name.utf16Name = header.substr(payload, length);
        break;
    case 0x45:
        ext.name.utf16Dir = header.substr(payload, length);
        break;
    case 0x46:
        if (length >= 4)
            ext.name.codePage = readU32(p);
        else if (length >= 2)
            ext.name.codePage = readU16(p);
        break;
    case 0x50:
        if (length >= 2)
            info.unixMode = readU16(p);
        break;
    case 0x54:
        if (length >= 4)
            ext.unixTime = readU32(p);
        break;
    case kRecordExtType:
        info.record = decodeRecord(std::string_view(header).substr(payload, length));
        break;
    default:
        break;
    }
}

// Walks a chain held whole in header, from the size field at sizeOffset, each size field being
// width bytes; the chain must end inside [.., end). When its next size field would start right at
// end, sizeAtEnd is set (and the status is still Corrupt).
base::Status walkChain(const std::string& header, std::size_t sizeOffset, std::size_t width, std::size_t end,
                       ExtFields& ext, MemberInfo& info, bool* sizeAtEnd = nullptr)
{
    std::size_t pos = sizeOffset;
    for (;;) {
        if (pos + width > end) {
            if (sizeAtEnd)
                *sizeAtEnd = pos == end;
            return corrupt("ext header chain runs past the header");
        }
        const std::uint64_t size = width == 2 ? readU16(bytesAt(header, pos)) : readU32(bytesAt(header, pos));
        pos += width;
        if (size == 0)
            return base::Status::success();
        // The type and payload must lie inside; the next size field is checked on the next turn.
        if (size < 1 + width || size - width > end - pos)
            return corrupt("bad ext header size");
        takeExt(static_cast<std::uint8_t>(header[pos]), header, pos + 1, size - 1 - width, ext, info);
        pos += size - width;
    }
}

// Amiga archivers end a level-0/1 name with a NUL and put the file's comment after it.
void splitComment(const std::string& field, std::string& name, std::string& comment)
{
    const std::size_t nul = field.find('\0');
    name = field.substr(0, nul);
    if (nul != std::string::npos)
        comment = field.substr(nul + 1);
}

// DOS-family archivers store names in capitals; other readers give a name with no small letter
// back in small letters when it came from such a system (level 0 without the Unix area, or OS id
// MS-DOS, OS/2, Atari or unknown). Windows ('W', 'w') and Unix archives keep their case.
void lowerDosCapitals(std::string& path, int level, const ExtFields& ext)
{
    const bool dosFamily =
        level == 0 ? !ext.unixArea : ext.osId == 'M' || ext.osId == 0 || ext.osId == '2' || ext.osId == 'a';
    if (!dosFamily || std::any_of(path.begin(), path.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return;
    for (char& c : path)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

bool checksumMatches(const std::string& header, std::size_t end)
{
    unsigned sum = 0;
    for (std::size_t i = 2; i < end; ++i)
        sum += static_cast<std::uint8_t>(header[i]);
    return (sum & 0xFF) == static_cast<std::uint8_t>(header[1]);
}

bool headerCrcMatches(const std::string& header, std::size_t crcOffset)
{
    std::string copy = header;
    copy[crcOffset] = 0;
    copy[crcOffset + 1] = 0;
    const std::uint16_t crc = crc16(0, bytesAt(copy, 0), copy.size());
    return crc == readU16(bytesAt(header, crcOffset));
}

void fillCommon(const std::string& h, MemberInfo& info)
{
    info.methodId.assign(h, 2, 5);
    info.method = methodFromId(info.methodId);
    info.packedSize = readU32(bytesAt(h, 7));
    info.originalSize = readU32(bytesAt(h, 11));
}

base::Status parseLevel0(InputStream& file, ParsedHeader& out, ExtFields& ext)
{
    std::string& h = out.raw;
    const std::size_t total = static_cast<std::uint8_t>(h[0]) + 2u;
    if (total < 22 || !readExact(file, h, total - kPrefixSize))
        return corrupt("truncated or short level-0 header");
    if (!checksumMatches(h, total))
        return corrupt("header checksum mismatch");
    const std::size_t nameLength = static_cast<std::uint8_t>(h[21]);
    if (22 + nameLength > total)
        return corrupt("name runs past the header");
    MemberInfo& info = out.info;
    fillCommon(h, info);
    info.mtime = dosTimeToUnix(readU32(bytesAt(h, 15)));
    info.dosAttributes = static_cast<std::uint8_t>(h[19]);
    ext.name.levelZero = true;
    splitComment(h.substr(22, nameLength), ext.name.level0Path, info.comment);
    const std::size_t crcAt = 22 + nameLength;
    if (crcAt + 2 <= total)
        info.crc = readU16(bytesAt(h, crcAt));
    // The Unix extension area: 'U', version, mtime u32, mode u16, uid u16, gid u16.
    const std::size_t area = crcAt + 2;
    if (area + 12 <= total && h[area] == 'U') {
        info.mtime = readU32(bytesAt(h, area + 2));
        info.unixMode = readU16(bytesAt(h, area + 6));
        ext.unixArea = true;
    }
    return base::Status::success();
}

base::Status parseLevel1(InputStream& file, ParsedHeader& out, ExtFields& ext)
{
    std::string& h = out.raw;
    const std::size_t base = static_cast<std::uint8_t>(h[0]) + 2u;
    if (base < 27 || !readExact(file, h, base - kPrefixSize))
        return corrupt("truncated or short level-1 header");
    if (!checksumMatches(h, base))
        return corrupt("header checksum mismatch");
    const std::size_t nameLength = static_cast<std::uint8_t>(h[21]);
    if (27 + nameLength > base)
        return corrupt("name runs past the header");
    MemberInfo& info = out.info;
    fillCommon(h, info);
    info.mtime = dosTimeToUnix(readU32(bytesAt(h, 15)));
    info.crc = readU16(bytesAt(h, 22 + nameLength));
    ext.osId = static_cast<std::uint8_t>(h[24 + nameLength]);
    splitComment(h.substr(22, nameLength), ext.name.nameBytes, info.comment);
    // The ext headers follow the base header one by one; each size counts into the skip size.
    std::uint64_t extBytes = 0;
    std::size_t sizeAt = base - 2;
    for (std::uint16_t size = readU16(bytesAt(h, sizeAt)); size != 0; size = readU16(bytesAt(h, sizeAt))) {
        extBytes += size;
        if (size < 3 || extBytes > info.packedSize || h.size() + size > kMaxLevel1ExtBytes)
            return corrupt("bad ext header size");
        const std::size_t start = h.size();
        if (!readExact(file, h, size))
            return corrupt("truncated ext header");
        takeExt(static_cast<std::uint8_t>(h[start]), h, start + 1, size - 3u, ext, info);
        sizeAt = start + size - 2;
    }
    info.packedSize -= extBytes;
    if (ext.unixTime)
        info.mtime = *ext.unixTime;
    return base::Status::success();
}

base::Status parseLevel2(InputStream& file, ParsedHeader& out, ExtFields& ext)
{
    std::string& h = out.raw;
    const std::size_t total = readU16(bytesAt(h, 0));
    if (total < 26 || !readExact(file, h, total - kPrefixSize))
        return corrupt("truncated or short level-2 header");
    MemberInfo& info = out.info;
    fillCommon(h, info);
    info.mtime = readU32(bytesAt(h, 15));
    info.crc = readU16(bytesAt(h, 21));
    ext.osId = static_cast<std::uint8_t>(h[23]);
    bool sizeAtEnd = false;
    auto status = walkChain(h, 24, 2, total, ext, info, &sizeAtEnd);
    if (status.ok() || !sizeAtEnd)
        return status;
    // One OS-9 archiver states a length that stops before the chain's final zero size field: the
    // data starts after those two bytes. Only two zero bytes are taken; anything else is refused.
    if (!readExact(file, h, 2) || h[total] != 0 || h[total + 1] != 0)
        return status;
    ext.shortForm = true;
    return base::Status::success();
}

base::Status parseLevel3(InputStream& file, ParsedHeader& out, ExtFields& ext)
{
    std::string& h = out.raw;
    if (readU16(bytesAt(h, 0)) != 4 || !readExact(file, h, 32 - kPrefixSize))
        return corrupt("bad or truncated level-3 header");
    const std::uint32_t total = readU32(bytesAt(h, 24));
    if (total < 32 || total > kMaxLevel3HeaderSize || !readExact(file, h, total - 32))
        return corrupt("bad or truncated level-3 header");
    MemberInfo& info = out.info;
    fillCommon(h, info);
    info.mtime = readU32(bytesAt(h, 15));
    info.crc = readU16(bytesAt(h, 21));
    ext.osId = static_cast<std::uint8_t>(h[23]);
    return walkChain(h, 28, 4, total, ext, info);
}

void classify(MemberInfo& info)
{
    const std::uint16_t type = info.unixMode.value_or(0) & kUnixTypeMask;
    if (info.method == Method::Lhd) {
        info.kind = type == kUnixTypeSymlink ? MemberKind::Symlink : MemberKind::Directory;
    } else if (type == kUnixTypeDirectory) {
        info.kind = MemberKind::Directory;
    }
    if (info.kind == MemberKind::Symlink) {
        // "link|target": the first '|' ends the link's own name.
        const std::size_t bar = info.path.find('|');
        if (bar == std::string::npos) {
            info.defect = "link member without a target";
        } else {
            info.linkTarget = info.path.substr(bar + 1);
            info.path.resize(bar);
        }
    }
    while (!info.path.empty() && info.path.back() == '/' && info.path.size() > 1)
        info.path.pop_back();
    if (info.defect.empty() && (info.path.empty() || info.path == "/"))
        info.defect = "empty member name";
}

} // namespace

base::Result<std::optional<ParsedHeader>> readHeader(InputStream& file, DirectoryNameCache* names)
{
    ParsedHeader out;
    out.info.headerOffset = file.offset();
    std::string& h = out.raw;
    if (!readExact(file, h, 1) || h[0] == 0)
        return std::optional<ParsedHeader>();
    if (!readExact(file, h, kPrefixSize - 1))
        return corrupt("archive ends inside a header");
    if (h[2] != '-' || h[6] != '-')
        return corrupt("not an LZH header");
    ExtFields ext;
    out.info.level = static_cast<std::uint8_t>(h[20]);
    base::Status status;
    switch (out.info.level) {
    case 0:
        status = parseLevel0(file, out, ext);
        break;
    case 1:
        status = parseLevel1(file, out, ext);
        break;
    case 2:
        status = parseLevel2(file, out, ext);
        break;
    case 3:
        status = parseLevel3(file, out, ext);
        break;
    default:
        return corrupt("unknown header level");
    }
    if (!status.ok())
        return status;
    // The short form's archiver writes a header CRC that does not hold over any span of its
    // header; its data CRC still guards the member.
    if (ext.headerCrcOffset && out.info.level >= 2 && !ext.shortForm && !headerCrcMatches(h, *ext.headerCrcOffset))
        return corrupt("header CRC mismatch");
    out.checked = out.info.level < 2 || (ext.headerCrcOffset && !ext.shortForm);
    // A record nothing vouches for is not one to copy packed bytes on.
    if (!out.checked || out.info.level != 2)
        out.info.record.reset();
    MemberInfo& info = out.info;
    if (ext.packedSize64)
        info.packedSize = *ext.packedSize64;
    if (ext.originalSize64)
        info.originalSize = *ext.originalSize64;
    info.dataOffset = file.offset();
    auto name = decodeStoredName(ext.name, names);
    if (name.ok()) {
        info.path = *name;
        lowerDosCapitals(info.path, info.level, ext);
    } else
        info.defect = name.status().detail();
    if (info.packedSize > file.size() - std::min(file.size(), info.dataOffset))
        return base::Status::error(base::ErrorCode::Corrupt, "member data runs past the end of the archive", info.path);
    classify(info);
    if (info.defect.empty() && info.method && isStored(*info.method) && info.packedSize != info.originalSize)
        info.defect = "stored member whose sizes differ";
    return std::optional<ParsedHeader>(std::move(out));
}

} // namespace lzh
