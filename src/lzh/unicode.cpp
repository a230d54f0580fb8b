#include "lzh/unicode.h"

#include <cstdint>

namespace lzh {
namespace {

// Length of the sequence starting at text[i] and its code point, or 0 when it is not valid UTF-8.
std::size_t decodeOne(std::string_view text, std::size_t i, std::uint32_t& cp)
{
    const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
    const std::uint8_t lead = b(0);
    std::size_t len = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        len = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUnit(std::string& out, std::uint32_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = decodeOne(text, i, cp);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::vector<std::string_view> utf8CodePoints(std::string_view text)
{
    std::vector<std::string_view> points;
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = decodeOne(text, i, cp);
        if (len == 0)
            len = 1;
        points.push_back(text.substr(i, len));
        i += len;
    }
    return points;
}

std::string utf8ToUtf16le(std::string_view utf8)
{
    std::string out;
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len = decodeOne(utf8, i, cp);
        if (len == 0) {
            len = 1;
            cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            appendUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, cp);
        }
        i += len;
    }
    return out;
}

std::optional<std::string> utf16leToUtf8(std::string_view utf16le)
{
    if (utf16le.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    const auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(utf16le[i]) |
                                          (static_cast<std::uint8_t>(utf16le[i + 1]) << 8));
    };
    for (std::size_t i = 0; i < utf16le.size(); i += 2) {
        std::uint32_t unit = unitAt(i);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return std::nullopt;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 4 > utf16le.size())
                return std::nullopt;
            const std::uint32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        appendUtf8(out, unit);
    }
    return out;
}

} // namespace lzh
