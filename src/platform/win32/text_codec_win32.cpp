// CP932 and UTF-16 through the system's code-page tables. MB_ERR_INVALID_CHARS refuses bytes
// that are not valid; WC_NO_BEST_FIT_CHARS with the used-default flag refuses characters that
// would otherwise turn silently into a look-alike ("Ä" into "A") or into "?".

#include "platform/text_codec.h"
#include "platform/win32/win32_text.h"

#include <climits>
#include <windows.h>

namespace platform {
namespace win32 {
namespace {

constexpr unsigned kCp932 = 932;

bool fitsInt(size_t size)
{
    return size <= static_cast<size_t>(INT_MAX);
}

// UTF-16 of `bytes` read in `codePage`; nullopt when flags refuse them.
std::optional<std::wstring> decode(std::string_view bytes, unsigned codePage, DWORD flags)
{
    if (bytes.empty())
        return std::wstring();
    if (!fitsInt(bytes.size()))
        return std::nullopt;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length) != length)
        return std::nullopt;
    return wide;
}

std::optional<std::string> encode(std::wstring_view wide, unsigned codePage)
{
    if (wide.empty())
        return std::string();
    if (!fitsInt(wide.size()))
        return std::nullopt;
    const int size = static_cast<int>(wide.size());
    // UTF-8 takes neither the best-fit flag nor the used-default pointer; it has no default
    // character to use.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefaultOut);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, usedDefaultOut) !=
            length ||
        usedDefault)
        return std::nullopt;
    return bytes;
}

unsigned resolved(unsigned codePage)
{
    return codePage == CP_ACP ? GetACP() : codePage;
}

} // namespace

std::wstring toWide(std::string_view utf8)
{
    return decode(utf8, CP_UTF8, 0).value_or(std::wstring());
}

std::string fromWide(std::wstring_view wide)
{
    if (wide.empty() || !fitsInt(wide.size()))
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::optional<std::string> utf8ToCodePage(std::string_view utf8, unsigned codePage)
{
    const std::optional<std::wstring> wide = decode(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (!wide)
        return std::nullopt;
    return encode(*wide, resolved(codePage));
}

std::optional<std::string> codePageToUtf8(std::string_view bytes, unsigned codePage)
{
    const std::optional<std::wstring> wide = decode(bytes, resolved(codePage), MB_ERR_INVALID_CHARS);
    if (!wide)
        return std::nullopt;
    return encode(*wide, CP_UTF8);
}

} // namespace win32

std::optional<std::string> utf8ToCp932(std::string_view utf8)
{
    return win32::utf8ToCodePage(utf8, win32::kCp932);
}

std::optional<std::string> cp932ToUtf8(std::string_view cp932)
{
    return win32::codePageToUtf8(cp932, win32::kCp932);
}

} // namespace platform
