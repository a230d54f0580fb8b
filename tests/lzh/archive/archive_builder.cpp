#include "archive_builder.h"

#include "lzh/codec.h"

namespace lzh::test {
namespace {

void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint16_t crcOf(const std::string& data)
{
    return crc16(0, reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

// Levels 0 and 1 share the base header; level 1 adds the OS id and an empty ext chain.
std::string dosLevelMember(int level, const std::string& pathBytes, const std::string& data, const char* method)
{
    std::string h(2, '\0');
    h += method;
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, 0x586F645C); // 2024-03-15 12:34:56
    h += '\x20';
    h += static_cast<char>(level);
    h += static_cast<char>(pathBytes.size());
    h += pathBytes;
    const std::uint16_t crc = crcOf(data);
    h += static_cast<char>(crc & 0xFF);
    h += static_cast<char>(crc >> 8);
    if (level == 1)
        h += std::string("M\0\0", 3);
    h[0] = static_cast<char>(h.size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += static_cast<std::uint8_t>(h[i]);
    h[1] = static_cast<char>(sum & 0xFF);
    return h + data;
}

} // namespace

std::string level0Member(const std::string& pathBytes, const std::string& data, const char* method)
{
    return dosLevelMember(0, pathBytes, data, method);
}

std::string level1Member(const std::string& pathBytes, const std::string& data)
{
    return dosLevelMember(1, pathBytes, data, "-lh0-");
}

std::string level2Member(const HeaderFields& fields, const std::string& data, int crc)
{
    HeaderFields f = fields;
    f.packedSize = data.size();
    if (f.originalSize == 0)
        f.originalSize = data.size();
    f.crc = crc < 0 ? crcOf(data) : static_cast<std::uint16_t>(crc);
    return *buildLevel2Header(f) + data;
}

std::string storedFile(const std::string& path, const std::string& data)
{
    HeaderFields fields;
    fields.path = path;
    fields.method = Method::Lh0;
    fields.unixMode = 0644;
    return level2Member(fields, data);
}

std::string linkMember(const std::string& path, const std::string& target)
{
    HeaderFields fields;
    fields.kind = MemberKind::Symlink;
    fields.path = path;
    fields.linkTarget = target;
    fields.method = Method::Lhd;
    fields.unixMode = 0777;
    return level2Member(fields, "");
}

} // namespace lzh::test
