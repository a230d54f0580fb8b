#pragma once
// Paths cross the program as UTF-8 std::string; these turn them into std::filesystem::path
// (wide on Windows, bytes on POSIX) and back, and give the platform's separator.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

std::filesystem::path toPath(std::string_view utf8);
std::string fromPath(const std::filesystem::path& path);

// Joins with exactly the platform separator between the two parts, as the program builds
// "program folder" + "\" + name.
std::string joinPath(std::string_view folder, std::string_view name);

// "folder\" or "folder/" (any number of them) names the folder itself: the separators at the
// end go, except a root's own ("/", "C:\").
std::string withoutTrailingSeparators(std::string path);
// Exactly one separator at the end: "D:\Work" and "D:\Work\\" both give "D:\Work\".
std::string withOneTrailingSeparator(std::string folder);

// The folder that holds the running executable, without a trailing separator.
std::string executableFolder();

} // namespace platform
