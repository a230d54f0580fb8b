#pragma once
// Strict UTF-8 <-> UTF-16LE conversion for the 0x44/0x45 name headers (no surrogate halves, no
// overlong forms: a name that is not clean text is refused rather than guessed at).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lzh {

bool isValidUtf8(std::string_view text);
// Splits valid UTF-8 into its code points' byte sequences.
std::vector<std::string_view> utf8CodePoints(std::string_view text);
// UTF-16LE bytes of valid UTF-8 text.
std::string utf8ToUtf16le(std::string_view utf8);
// nullopt for an odd length or a broken surrogate pair.
std::optional<std::string> utf16leToUtf8(std::string_view utf16le);

} // namespace lzh
