#include "lzh/header_writer.h"

#include "lzh/byte_order.h"
#include "lzh/member_name.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace lzh {
namespace {

constexpr std::size_t kBaseSize = 24;       // up to and including the OS id
constexpr std::size_t kMaxNameBytes = 4096; // longest name field we write (other tools' limit too)
constexpr char kOsId = 'W';                 // Windows NT; 'M' would make one reader lower-case all-capital names
constexpr std::uint32_t kCodePage932 = 932;
constexpr std::uint8_t kDosReadOnly = 0x01;
constexpr std::uint8_t kDosDirectory = 0x10;
constexpr std::uint8_t kDosArchive = 0x20;
constexpr std::uint8_t kBaseAttributes = kDosArchive; // byte 19 of a level-2 header

struct Ext {
    std::uint8_t type;
    std::string payload;
};

std::uint16_t typeBits(MemberKind kind)
{
    switch (kind) {
    case MemberKind::Directory:
        return 0x4000;
    case MemberKind::Symlink:
        return 0xA000;
    case MemberKind::File:
        break;
    }
    return 0x8000;
}

std::string u16Payload(std::uint16_t v)
{
    std::string s;
    appendU16(s, v);
    return s;
}

} // namespace

base::Result<std::string> buildLevel2Header(const HeaderFields& f)
{
    const bool isDirectory = f.kind == MemberKind::Directory;
    const std::string logical = f.kind == MemberKind::Symlink ? f.path + "|" + f.linkTarget : f.path;
    const StoredName name = encodeStoredName(logical, isDirectory);
    if (name.dirBytes.size() + name.nameBytes.size() > kMaxNameBytes ||
        name.utf16Dir.size() + name.utf16Name.size() > 2 * kMaxNameBytes)
        return base::Status::error(base::ErrorCode::InvalidArgument, "name too long", f.path);

    std::vector<Ext> exts;
    exts.push_back({0x00, std::string(2, '\0')});
    exts.push_back({0x01, name.nameBytes});
    if (!name.dirBytes.empty())
        exts.push_back({0x02, name.dirBytes});
    std::uint8_t attributes = isDirectory ? kDosDirectory : kDosArchive;
    if (f.readOnly)
        attributes |= kDosReadOnly;
    // The base header already says "archive" (byte 19): only other attributes need 0x40, which
    // saves 5 bytes on most members.
    if (attributes != kBaseAttributes)
        exts.push_back({0x40, u16Payload(attributes)});
    if (f.wideSizes) {
        std::string sizes;
        appendU64(sizes, f.packedSize);
        appendU64(sizes, f.originalSize);
        exts.push_back({0x42, sizes});
    }
    if (name.needsUnicode) {
        if (!name.utf16Name.empty())
            exts.push_back({0x44, name.utf16Name});
        if (!name.utf16Dir.empty())
            exts.push_back({0x45, name.utf16Dir});
    }
    std::string codePage;
    appendU32(codePage, kCodePage932);
    exts.push_back({0x46, codePage});
    exts.push_back({0x50, u16Payload(static_cast<std::uint16_t>(typeBits(f.kind) | (f.unixMode & 07777)))});
    if (f.record)
        exts.push_back({kRecordExtType, encodeRecord(*f.record)});

    std::size_t total = kBaseSize + 2;
    for (const Ext& ext : exts)
        total += ext.payload.size() + 3;
    // A total whose low byte is 0 would start with the end-of-archive mark: one more byte in the
    // CRC header avoids it in a way every reader follows.
    if ((total & 0xFF) == 0) {
        exts[0].payload += '\0';
        ++total;
    }
    if (total > std::numeric_limits<std::uint16_t>::max())
        return base::Status::error(base::ErrorCode::InvalidArgument, "name too long", f.path);

    const auto clamp32 = [](std::uint64_t v) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFFu));
    };
    std::string h;
    h.reserve(total);
    appendU16(h, static_cast<std::uint16_t>(total));
    h += methodId(f.method);
    appendU32(h, f.wideSizes ? 0xFFFFFFFFu : clamp32(f.packedSize));
    appendU32(h, f.wideSizes ? 0xFFFFFFFFu : clamp32(f.originalSize));
    appendU32(h, clamp32(static_cast<std::uint64_t>(std::max<std::int64_t>(f.mtime, 0))));
    h += static_cast<char>(kBaseAttributes);
    h += '\x02';
    appendU16(h, f.crc);
    h += kOsId;
    appendU16(h, static_cast<std::uint16_t>(exts[0].payload.size() + 3));
    const std::size_t crcOffset = h.size() + 1;
    for (std::size_t i = 0; i < exts.size(); ++i) {
        h += static_cast<char>(exts[i].type);
        h += exts[i].payload;
        appendU16(h, i + 1 < exts.size() ? static_cast<std::uint16_t>(exts[i + 1].payload.size() + 3) : 0);
    }
    const std::uint16_t headerCrc = crc16(0, reinterpret_cast<const std::uint8_t*>(h.data()), h.size());
    h[crcOffset] = static_cast<char>(headerCrc & 0xFF);
    h[crcOffset + 1] = static_cast<char>(headerCrc >> 8);
    return h;
}

} // namespace lzh
