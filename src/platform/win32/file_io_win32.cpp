// File calls with UTF-8 and long paths, and replacement of a whole file in one step through
// MoveFileEx. Error texts come from the system, in the user's language.

#include "platform/file_io.h"

#include "platform/paths.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {
namespace {

// A scanner or indexer that opens a freshly written file holds it for a moment; the rename is
// tried again for about a second before the failure is reported.
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMilliseconds = 50;
// WriteFile takes a 32-bit count.
constexpr size_t kLargestWrite = size_t{1} << 30;

base::ErrorCode codeFromWin32(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return base::ErrorCode::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return base::ErrorCode::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return base::ErrorCode::DiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return base::ErrorCode::InvalidArgument;
    default:
        return base::ErrorCode::IoError;
    }
}

base::ErrorCode codeFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return base::ErrorCode::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return base::ErrorCode::AccessDenied;
    case ENOSPC:
        return base::ErrorCode::DiskFull;
    default:
        return base::ErrorCode::IoError;
    }
}

std::string systemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return "system error " + std::to_string(error);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return win32::fromWide(text);
}

base::Status win32Error(DWORD error, const std::string& path)
{
    return base::Status::error(codeFromWin32(error), systemMessage(error), path);
}

std::wstring nativePath(const std::string& utf8Path)
{
    return toPath(utf8Path).native();
}

bool isReadOnlyFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool isTransient(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kLargestWrite));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// A fresh name beside target; CREATE_NEW makes two writers in one folder never share it.
HANDLE createTemporary(const std::string& target, std::string& name, DWORD access = GENERIC_WRITE,
                       DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
        const HANDLE file = CreateFileW(nativePath(name).c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

FILETIME fileTime(std::int64_t unixSeconds)
{
    // FILETIME counts 100 ns steps from 1601-01-01.
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    const auto ticks = static_cast<std::uint64_t>((unixSeconds + kSecondsFrom1601To1970) * 10000000);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

} // namespace

std::FILE* openFile(const std::string& utf8Path, const char* mode)
{
    return _wfopen(nativePath(utf8Path).c_str(), win32::toWide(mode).c_str());
}

base::Status lastSystemError(const std::string& path)
{
    // Read both before anything else can overwrite them. The CRT calls that callers make
    // (fopen, fread, fwrite) fail inside a Win32 call, whose own code says more than errno.
    const DWORD error = GetLastError();
    const int crtError = errno;
    if (error != ERROR_SUCCESS)
        return win32Error(error, path);
    return base::Status::error(codeFromErrno(crtError), std::strerror(crtError), path);
}

std::FILE* openScratchFile(const std::string& besideFile)
{
    std::string name;
    // The system deletes the file when its last handle closes, also when the process is killed.
    const HANDLE handle = createTemporary(besideFile, name, GENERIC_READ | GENERIC_WRITE,
                                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "w+b");
    if (file == nullptr)
        _close(fd);
    return file;
}

base::Status writeFileAtomically(const std::string& target, std::string_view bytes)
{
    std::string temporary;
    const HANDLE file = createTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return win32Error(GetLastError(), target);
    const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
    const DWORD error = written ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (!written) {
        DeleteFileW(nativePath(temporary).c_str());
        return win32Error(error, target);
    }
    const base::Status replaced = replaceFile(temporary, target);
    if (!replaced.ok())
        DeleteFileW(nativePath(temporary).c_str());
    return replaced;
}

base::Status replaceFile(const std::string& source, const std::string& target)
{
    const std::wstring from = nativePath(source);
    const std::wstring to = nativePath(target);
    // MoveFileEx refuses to replace a read-only file; say so at once rather than retrying.
    if (isReadOnlyFile(to))
        return win32Error(ERROR_ACCESS_DENIED, target);
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return base::Status::success();
        const DWORD error = GetLastError();
        if (!isTransient(error) || attempt == kReplaceAttempts)
            return win32Error(error, target);
        Sleep(kReplaceRetryMilliseconds);
    }
}

base::Status syncFile(std::FILE* file, const std::string& path)
{
    if (std::fflush(file) != 0)
        return lastSystemError(path);
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle))
        return win32Error(GetLastError(), path);
    return base::Status::success();
}

base::Status setModificationTime(const std::filesystem::path& path, std::int64_t unixSeconds)
{
    // FILE_FLAG_BACKUP_SEMANTICS opens folders as well as files.
    const HANDLE handle =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return win32Error(GetLastError(), fromPath(path));
    FILETIME time = fileTime(unixSeconds);
    const bool set = SetFileTime(handle, nullptr, nullptr, &time);
    const DWORD error = set ? ERROR_SUCCESS : GetLastError();
    CloseHandle(handle);
    return set ? base::Status::success() : win32Error(error, fromPath(path));
}

std::optional<FileIdentity> fileIdentity(const std::string& utf8Path)
{
    // Reading attributes needs no access to the data, so a file open elsewhere still answers.
    const HANDLE handle =
        CreateFileW(nativePath(utf8Path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    const bool known = GetFileInformationByHandle(handle, &info);
    // FAT and some network file systems keep no change time: it reads as 0 there.
    const bool hasChangeTime = GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic);
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    auto joined = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    FileIdentity identity;
    identity.changed = hasChangeTime ? static_cast<std::int64_t>(basic.ChangeTime.QuadPart) : 0;
    identity.size = joined(info.nFileSizeHigh, info.nFileSizeLow);
    identity.modified =
        static_cast<std::int64_t>(joined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    identity.device = info.dwVolumeSerialNumber;
    identity.number = joined(info.nFileIndexHigh, info.nFileIndexLow);
    return identity;
}

std::int64_t fileTimeNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
}

std::int64_t fileTimeUnitsPerSecond()
{
    return 10'000'000;
}

OpenFolder::~OpenFolder()
{
    close();
}

base::Status OpenFolder::open(const std::string& utf8Path)
{
    close();
    m_path = utf8Path;
    // Windows has no calls relative to an open folder: the path is kept, once checked.
    const DWORD attributes = GetFileAttributesW(nativePath(utf8Path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return win32Error(GetLastError(), utf8Path);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return win32Error(ERROR_DIRECTORY, utf8Path);
    m_open = true;
    return base::Status::success();
}

void OpenFolder::close()
{
    m_open = false;
}

std::string OpenFolder::pathOf(const std::string& name) const
{
    return joinPath(m_path, name);
}

NewFile::~NewFile()
{
    discard();
}

base::Status NewFile::create(const OpenFolder& folder, const std::string& name)
{
    discard();
    m_folder = &folder;
    m_name = name;
    const std::string utf8Path = folder.pathOf(name);
    const std::wstring path = nativePath(utf8Path);
    auto open = [&] {
        return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE file = open();
    // A read-only leftover of an interrupted run is made writable and replaced.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && isReadOnlyFile(path) &&
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        file = open();
    if (file == INVALID_HANDLE_VALUE)
        return win32Error(GetLastError(), utf8Path);
    m_handle = reinterpret_cast<std::intptr_t>(file);
    m_exists = true;
    return base::Status::success();
}

bool NewFile::write(const void* data, std::size_t size)
{
    return writeAll(reinterpret_cast<HANDLE>(m_handle), std::string_view(static_cast<const char*>(data), size));
}

base::Status NewFile::close(std::int64_t unixSeconds, const FilePermissions& permissions)
{
    const HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    m_handle = -1;
    const FILETIME time = fileTime(unixSeconds);
    SetFileTime(file, nullptr, nullptr, &time);
    const bool readOnly = permissions.bits ? (*permissions.bits & 0200) == 0 : permissions.readOnly;
    BY_HANDLE_FILE_INFORMATION info{};
    if (readOnly && GetFileInformationByHandle(file, &info)) {
        // Zero times in FILE_BASIC_INFO leave them as they are.
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = info.dwFileAttributes | FILE_ATTRIBUTE_READONLY;
        SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
    }
    if (!CloseHandle(file))
        return win32Error(GetLastError(), m_folder->pathOf(m_name));
    return base::Status::success();
}

base::Status NewFile::rename(const std::string& target)
{
    const std::string targetPath = m_folder->pathOf(target);
    if (!MoveFileExW(nativePath(m_folder->pathOf(m_name)).c_str(), nativePath(targetPath).c_str(),
                     MOVEFILE_REPLACE_EXISTING))
        return base::Status::error(base::ErrorCode::IoError, systemMessage(GetLastError()), targetPath);
    m_exists = false;
    return base::Status::success();
}

void NewFile::discard()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
    if (m_exists) {
        const std::wstring path = nativePath(m_folder->pathOf(m_name));
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    m_exists = false;
}

} // namespace platform
