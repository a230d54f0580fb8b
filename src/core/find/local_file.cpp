#include "core/find/local_file.h"

#include "lzh/codec.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <array>
#include <cstdio>

namespace core::find {

std::string localPathOf(const std::string& folder, const std::string& memberPath)
{
    std::string local = memberPath;
    for (char& c : local)
        if (c == '/')
            c = platform::kSeparator;
    return platform::joinPath(platform::withoutTrailingSeparators(folder), local);
}

std::optional<platform::FolderEntry> entryAt(const std::string& utf8Path)
{
    const auto separator = utf8Path.find_last_of(platform::kSeparator == '/' ? "/" : "\\/");
    if (separator == std::string::npos)
        return std::nullopt;
    const std::string name = utf8Path.substr(separator + 1);
    std::string parent = utf8Path.substr(0, separator);
    if (parent.empty() || parent.back() == ':')
        parent += platform::kSeparator;
    auto listing = platform::listFolder(parent);
    if (!listing.ok())
        return std::nullopt;
    for (platform::FolderEntry& entry : *listing)
        if (entry.name == name)
            return std::move(entry);
    return std::nullopt;
}

std::optional<std::uint16_t> contentCrc(const std::string& utf8Path)
{
    std::FILE* file = platform::openFile(utf8Path, "rb");
    if (!file)
        return std::nullopt;
    std::array<std::uint8_t, 64 * 1024> buffer;
    std::uint16_t crc = 0;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        crc = lzh::crc16(crc, buffer.data(), got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? std::nullopt : std::optional<std::uint16_t>(crc);
}

} // namespace core::find
