#pragma once
// Conversions between the program's UTF-8 and the UTF-16 of the wide Win32 calls, and the
// system's ANSI code page that the "A" calls read. Only for the Win32 side of the platform.

#include <optional>
#include <string>
#include <string_view>

namespace platform::win32 {

// Malformed UTF-8 becomes U+FFFD: a path with such bytes still names something, just not an
// existing file.
std::wstring toWide(std::string_view utf8);

// Unpaired surrogates (which NTFS names may hold) become U+FFFD.
std::string fromWide(std::wstring_view wide);

// Text in `codePage` (932, or CP_ACP for the system's ANSI code page); nullopt when a character
// has no exact form there or the UTF-8 is malformed. Never a best-fit or default character.
std::optional<std::string> utf8ToCodePage(std::string_view utf8, unsigned codePage);

// nullopt when the bytes are not valid in `codePage`.
std::optional<std::string> codePageToUtf8(std::string_view bytes, unsigned codePage);

} // namespace platform::win32
