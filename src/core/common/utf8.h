#pragma once

#include <string_view>

namespace core {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isValidUtf8(std::string_view bytes);

} // namespace core
