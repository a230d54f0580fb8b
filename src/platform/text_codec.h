#pragma once
// Conversion between the program's UTF-8 text and CP932 (Shift-JIS as Windows writes it), the
// code page of setup.def and of LZH member names. POSIX: iconv. Windows: the code-page API.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// nullopt when some character has no CP932 form; nothing is ever replaced silently.
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// nullopt when the bytes are not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view cp932);

} // namespace platform
