// The parts of the path helpers that are the same on every platform; executableFolder lives in
// posix/ and win32/, and Windows has its own toPath and fromPath.

#include "platform/paths.h"

namespace platform {

#ifndef _WIN32 // Windows adds the long-path form: win32/paths_win32.cpp
std::filesystem::path toPath(std::string_view utf8)
{
    // char8_t input makes std::filesystem decode UTF-8 on Windows too, where plain char would
    // be read in the ANSI code page.
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string fromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
#endif

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string joined(folder);
    if (!joined.empty() && joined.back() != kSeparator)
        joined += kSeparator;
    while (!name.empty() && name.front() == kSeparator)
        name.remove_prefix(1);
    joined += name;
    return joined;
}

namespace {

// Both count on every system: the program's command lines and settings come from Windows, where
// both separate, and a name ending in '\\' is no real folder on POSIX.
bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isRoot(const std::string& path)
{
    return path.size() == 1 || (path.size() == 3 && path[1] == ':');
}

} // namespace

std::string withoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && isSeparator(path.back()) && !isRoot(path))
        path.pop_back();
    return path;
}

std::string withOneTrailingSeparator(std::string folder)
{
    while (!folder.empty() && isSeparator(folder.back()))
        folder.pop_back();
    folder += kSeparator;
    return folder;
}

} // namespace platform
