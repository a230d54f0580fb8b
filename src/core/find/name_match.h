#pragma once
// Matching part of a name as a Japanese reader expects: Latin letters without case, full-width
// ASCII as half-width, half-width katakana (voiced marks joined) as full-width, hiragana as
// katakana.

#include <string>
#include <string_view>

namespace core::find {

// The folded form of UTF-8 text; two texts match where their folded forms do. Bytes that are not
// UTF-8 pass through unchanged.
std::string foldForSearch(std::string_view utf8);

// True when the folded query occurs in the folded name (an empty query matches everything).
bool nameMatches(std::string_view foldedQuery, std::string_view name);

} // namespace core::find
