#pragma once
// Paths past the classic 260-character limit. The wide file calls accept them only in the
// "\\?\" form, which turns off the system's own path clean-up, so the form is made from a full,
// cleaned-up path and only when the path is long; short paths reach the system as given.

#include <string>

namespace platform::win32 {

// `path` in the "\\?\" (or "\\?\UNC\") form when it is too long for the classic calls.
std::wstring extendedPath(const std::wstring& path);

// `path` without a "\\?\" or "\\?\UNC\" prefix, as a person would write it.
std::wstring withoutExtendedPrefix(const std::wstring& path);

} // namespace platform::win32
