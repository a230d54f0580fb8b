#include "lzh/member_name.h"

#include "lzh/unicode.h"
#include "platform/text_codec.h"

#include <vector>

namespace lzh {
namespace {

constexpr char kDirSeparator = '\xFF';

std::vector<std::string_view> splitOn(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// CP932 for one component; characters CP932 lacks become '_' and set lossy.
std::string toCp932Lossy(std::string_view utf8, bool& lossy)
{
    // ASCII is the same in CP932, and most names are ASCII: no converter needs to be opened.
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && static_cast<std::uint8_t>(c) < 0x80;
    if (ascii)
        return std::string(utf8);
    if (auto whole = platform::utf8ToCp932(utf8))
        return *whole;
    lossy = true;
    std::string out;
    for (std::string_view point : utf8CodePoints(utf8)) {
        auto one = platform::utf8ToCp932(point);
        out += one ? *one : std::string("_");
    }
    return out;
}

// Text of one name field. UTF-8 is tried before CP932 when nothing says which: UTF-8 Japanese
// usually also parses as CP932 (as mojibake), while CP932 Japanese is almost never valid UTF-8.
std::optional<std::string> decodeText(std::string_view bytes, std::optional<std::uint32_t> codePage)
{
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && static_cast<std::uint8_t>(c) < 0x80;
    if (ascii)
        return std::string(bytes);
    if (codePage == 65001u)
        return isValidUtf8(bytes) ? std::optional<std::string>(std::string(bytes)) : std::nullopt;
    if (codePage == 932u)
        return platform::cp932ToUtf8(bytes);
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return platform::cp932ToUtf8(bytes);
}

// Adds the components of decoded text, splitting on both separators.
void appendComponents(std::vector<std::string>& out, std::string_view text, bool& absolute)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '/' || text[i] == '\\') {
            if (i > start)
                out.emplace_back(text.substr(start, i - start));
            else if (i == 0 && i < text.size() && out.empty())
                absolute = true;
            start = i + 1;
        }
    }
}

bool appendEncoded(std::vector<std::string>& out, std::string_view bytes, std::optional<std::uint32_t> codePage,
                   bool& absolute)
{
    // A leading 0xFF is a leading separator like any other.
    if (out.empty() && !bytes.empty() && bytes[0] == kDirSeparator)
        absolute = true;
    for (std::string_view chunk : splitOn(bytes, kDirSeparator)) {
        auto text = decodeText(chunk, codePage);
        if (!text)
            return false;
        appendComponents(out, *text, absolute);
    }
    return true;
}

// The components of a directory field into empty out, through the reader's cache when it has one.
bool decodeDirectory(std::vector<std::string>& out, std::string_view bytes, std::optional<std::uint32_t> codePage,
                     bool& absolute, DirectoryNameCache* cache)
{
    if (!cache)
        return appendEncoded(out, bytes, codePage, absolute);
    if (!cache->filled || cache->bytes != bytes || cache->codePage != codePage) {
        cache->bytes.assign(bytes);
        cache->codePage = codePage;
        cache->components.clear();
        cache->absolute = false;
        cache->decoded = appendEncoded(cache->components, bytes, codePage, cache->absolute);
        cache->filled = true;
    }
    out = cache->components;
    absolute = cache->absolute;
    return cache->decoded;
}

// 0x45 separates components with the unit FF FF.
std::optional<std::vector<std::string>> splitUtf16Dir(std::string_view utf16)
{
    if (utf16.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= utf16.size(); i += 2) {
        const bool end = i == utf16.size();
        if (!end && !(static_cast<std::uint8_t>(utf16[i]) == 0xFF && static_cast<std::uint8_t>(utf16[i + 1]) == 0xFF))
            continue;
        if (i > start) {
            auto text = utf16leToUtf8(utf16.substr(start, i - start));
            if (!text)
                return std::nullopt;
            parts.push_back(std::move(*text));
        }
        start = i + 2;
    }
    return parts;
}

base::Status badName()
{
    return base::Status::error(base::ErrorCode::Corrupt, "member name is not valid text");
}

} // namespace

StoredName encodeStoredName(std::string_view logicalPath, bool isDirectory)
{
    StoredName stored;
    std::vector<std::string_view> parts = splitOn(logicalPath, '/');
    std::string_view last;
    if (!isDirectory) {
        last = parts.back();
        parts.pop_back();
    }
    for (std::string_view part : parts) {
        stored.dirBytes += toCp932Lossy(part, stored.needsUnicode);
        stored.dirBytes += kDirSeparator;
    }
    stored.nameBytes = toCp932Lossy(last, stored.needsUnicode);
    if (stored.needsUnicode) {
        for (std::string_view part : parts) {
            stored.utf16Dir += utf8ToUtf16le(part);
            stored.utf16Dir += "\xFF\xFF";
        }
        stored.utf16Name = utf8ToUtf16le(last);
    }
    return stored;
}

base::Result<std::string> decodeStoredName(const RawName& raw, DirectoryNameCache* cache)
{
    std::vector<std::string> components;
    bool absolute = false;
    if (raw.levelZero) {
        if (!appendEncoded(components, raw.level0Path, raw.codePage, absolute))
            return badName();
    } else {
        if (raw.utf16Dir) {
            auto parts = splitUtf16Dir(*raw.utf16Dir);
            if (!parts)
                return badName();
            for (const std::string& part : *parts)
                appendComponents(components, part, absolute);
        } else if (!decodeDirectory(components, raw.dirBytes, raw.codePage, absolute, cache)) {
            return badName();
        }
        const bool dirWasEmpty = components.empty() && !absolute;
        bool nameAbsolute = false;
        if (raw.utf16Name) {
            auto text = utf16leToUtf8(*raw.utf16Name);
            if (!text)
                return badName();
            appendComponents(components, *text, nameAbsolute);
        } else {
            auto text = decodeText(raw.nameBytes, raw.codePage);
            if (!text)
                return badName();
            appendComponents(components, *text, nameAbsolute);
        }
        absolute = absolute || (dirWasEmpty && nameAbsolute);
    }
    std::string path = absolute ? "/" : "";
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0)
            path += '/';
        path += components[i];
    }
    return path;
}

} // namespace lzh
