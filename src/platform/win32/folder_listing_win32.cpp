// FindFirstFileExW on the "\\?\" form of the folder: unlike the runtime's _wopendir it takes
// paths of any length. The find data carries the kind, size, time and attributes, so no entry
// is opened.

#include "platform/folder_listing.h"
#include "platform/win32/folder_entry_win32.h"

#include "platform/file_io.h"
#include "platform/win32/long_path.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <cwctype>
#include <windows.h>

namespace platform {
namespace {

// 100 ns ticks between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000;
constexpr std::int64_t kTicksPerSecond = 10000000;

bool isDotOrDotDot(const wchar_t* name)
{
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

// Symbolic links and junctions name another place; other reparse points (cloud placeholders,
// deduplicated files) are ordinary files and folders.
bool isLink(const WIN32_FIND_DATAW& found)
{
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(found.dwReserved0);
}

bool isProgramName(std::wstring_view name)
{
    const auto dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return false;
    std::wstring extension(name.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](wchar_t c) { return std::towlower(c); });
    return extension == L".exe" || extension == L".com" || extension == L".bat" || extension == L".cmd";
}

// The mode the C runtime's stat reports, which the walk stored before this listing existed.
std::uint16_t modeOf(const FolderEntry& entry, std::wstring_view name)
{
    std::uint16_t mode = entry.readOnly ? 0444 : 0666;
    if (entry.kind == EntryKind::Folder || isProgramName(name))
        mode |= 0111;
    return mode;
}

bool isSystemLink(const WIN32_FIND_DATAW& found)
{
    constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return isLink(found) && (found.dwFileAttributes & kHiddenSystem) == kHiddenSystem;
}

} // namespace

std::optional<FolderEntry> win32::entryFrom(const WIN32_FIND_DATAW& found)
{
    if (isSystemLink(found))
        return std::nullopt;
    FolderEntry entry;
    entry.name = win32::fromWide(found.cFileName);
    if (isLink(found))
        entry.kind = EntryKind::Link;
    else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        entry.kind = EntryKind::Folder;
    else
        entry.kind = EntryKind::File;
    if (entry.kind == EntryKind::File)
        entry.size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    const std::int64_t ticks = static_cast<std::int64_t>((std::uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) |
                                                         found.ftLastWriteTime.dwLowDateTime);
    entry.mtime = (ticks - kUnixEpochTicks) / kTicksPerSecond;
    entry.readOnly = entry.kind != EntryKind::Link && (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.unixMode = entry.kind == EntryKind::Link ? 0777 : modeOf(entry, found.cFileName);
    return entry;
}

namespace {

bool isFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return folder;
}

} // namespace

base::Result<std::vector<FolderEntry>> listFolder(const std::string& utf8Path)
{
    std::wstring pattern = win32::toWide(utf8Path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    // Made long only after the "\*" is on, so that a folder just short of the limit still gets
    // the "\\?\" form its pattern needs.
    pattern = win32::extendedPath(pattern);

    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    std::vector<FolderEntry> entries;
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." or "..": empty, it matches nothing.
        if (GetLastError() == ERROR_FILE_NOT_FOUND && isFolder(pattern.substr(0, pattern.size() - 1)))
            return entries;
        return lastSystemError(utf8Path);
    }
    do {
        if (isDotOrDotDot(found.cFileName))
            continue;
        if (auto entry = win32::entryFrom(found))
            entries.push_back(std::move(*entry));
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        SetLastError(error);
        return lastSystemError(utf8Path);
    }
    return entries;
}

} // namespace platform
