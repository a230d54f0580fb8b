// Windows paths: UTF-8 to UTF-16 and back, the "\\?\" form for paths past the classic limit,
// and the program folder from the module's own file name.

#include "platform/paths.h"
#include "platform/win32/long_path.h"
#include "platform/win32/win32_text.h"

#include <windows.h>

namespace platform {
namespace win32 {
namespace {

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kExtendedUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
// Folders must leave room for an 8.3 name below them, so the classic calls stop 12 short of 260.
constexpr size_t kClassicLimit = MAX_PATH - 12;
// The longest path the wide calls take, in UTF-16 units.
constexpr DWORD kLongestPath = 32768;

bool startsWith(std::wstring_view text, std::wstring_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::wstring fullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return {};
    full.resize(length);
    return full;
}

} // namespace

std::wstring extendedPath(const std::wstring& path)
{
    if (path.size() < kClassicLimit || startsWith(path, kExtendedPrefix) || startsWith(path, kDevicePrefix))
        return path;
    const std::wstring full = fullPath(path);
    if (startsWith(full, L"\\\\"))
        return std::wstring(kExtendedUncPrefix) + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
        return std::wstring(kExtendedPrefix) + full;
    return path;
}

std::wstring withoutExtendedPrefix(const std::wstring& path)
{
    if (startsWith(path, kExtendedUncPrefix))
        return L"\\\\" + path.substr(kExtendedUncPrefix.size());
    if (startsWith(path, kExtendedPrefix))
        return path.substr(kExtendedPrefix.size());
    return path;
}

} // namespace win32

namespace {

std::string workingFolder()
{
    std::error_code ignored;
    return fromPath(std::filesystem::current_path(ignored));
}

} // namespace

std::filesystem::path toPath(std::string_view utf8)
{
    return std::filesystem::path(win32::extendedPath(win32::toWide(utf8)));
}

std::string fromPath(const std::filesystem::path& path)
{
    return win32::fromWide(win32::withoutExtendedPrefix(path.native()));
}

std::string executableFolder()
{
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (length == 0)
            return workingFolder();
        if (length < module.size()) {
            module.resize(length);
            break;
        }
        // A full buffer means the name was cut short.
        if (module.size() >= win32::kLongestPath)
            return workingFolder();
        module.resize(module.size() * 2);
    }
    const std::string exe = fromPath(std::filesystem::path(module));
    const auto cut = exe.find_last_of("\\/");
    return cut == std::string::npos ? exe : exe.substr(0, cut);
}

} // namespace platform
