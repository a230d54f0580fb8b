#include "archive_builder.h"

#include "lzh/codec.h"

namespace lzh::test {
namespace {

std::string le(std::uint32_t v, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::uint16_t crcOf(const std::string& data)
{
    return crc16(0, reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

// Levels 0 and 1 share the base header; level 1 adds the OS id and an empty ext chain.
std::string dosLevelMember(int level, const std::string& pathBytes, const std::string& data, const char* method)
{
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string h = std::string(2, '\0') + method + le(size, 4) + le(size, 4) + le(0x586F645C, 4) + // 2024-03-15
                    '\x20' + static_cast<char>(level) + static_cast<char>(pathBytes.size()) + pathBytes +
                    le(crcOf(data), 2) + (level == 1 ? std::string("M\0\0", 3) : "");
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
    return level2Member({.path = path, .method = Method::Lh0, .unixMode = 0644}, data);
}

std::string linkMember(const std::string& path, const std::string& target)
{
    return level2Member(
        {.kind = MemberKind::Symlink, .path = path, .linkTarget = target, .method = Method::Lhd, .unixMode = 0777}, "");
}

} // namespace lzh::test
