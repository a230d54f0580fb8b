#include "platform/file_io.h"

#include "platform/error_text.h"
#include "platform/paths.h"
#include "stat_identity.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

base::Status errorFromErrno(int error, const std::string& path)
{
    base::ErrorCode code = base::ErrorCode::IoError;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        code = base::ErrorCode::NotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        code = base::ErrorCode::AccessDenied;
        break;
    case ENOSPC:
    case EDQUOT:
        code = base::ErrorCode::DiskFull;
        break;
    default:
        break;
    }
    return base::Status::error(code, errorText(std::error_code(error, std::generic_category())), path);
}

std::string parentFolder(const std::string& path)
{
    const auto cut = path.rfind('/');
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

// Makes a rename inside the folder durable; some file systems refuse fsync on a folder, which
// costs only durability, so that failure is not reported.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// A fresh name beside target; O_EXCL makes two writers in one folder never share it.
int createTemporary(const std::string& target, std::string& name, int access = O_WRONLY)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(name.c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

std::FILE* openFile(const std::string& utf8Path, const char* mode)
{
    return std::fopen(utf8Path.c_str(), mode);
}

base::Status lastSystemError(const std::string& path)
{
    return errorFromErrno(errno, path);
}

std::FILE* openScratchFile(const std::string& besideFile)
{
    std::string name;
    const int fd = createTemporary(besideFile, name, O_RDWR);
    if (fd < 0)
        return nullptr;
    // Unlinked at once: the data lives while the file is open, and nothing is left behind.
    ::unlink(name.c_str());
    std::FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

base::Status writeFileAtomically(const std::string& target, std::string_view bytes)
{
    std::string temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0)
        return errorFromErrno(errno, target);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return errorFromErrno(error, target);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return errorFromErrno(error, target);
    }
    const base::Status replaced = replaceFile(temporary, target);
    if (!replaced.ok())
        ::unlink(temporary.c_str());
    return replaced;
}

base::Status replaceFile(const std::string& source, const std::string& target)
{
    if (::rename(source.c_str(), target.c_str()) != 0)
        return errorFromErrno(errno, target);
    syncFolder(parentFolder(target));
    return base::Status::success();
}

base::Status syncFile(std::FILE* file, const std::string& path)
{
    if (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0)
        return errorFromErrno(errno, path);
    return base::Status::success();
}

base::Status setModificationTime(const std::filesystem::path& path, std::int64_t unixSeconds)
{
    const auto time =
        std::chrono::file_clock::from_sys(std::chrono::system_clock::time_point(std::chrono::seconds(unixSeconds)));
    std::error_code ec;
    std::filesystem::last_write_time(path, time, ec);
    if (ec)
        return errorFromErrno(ec.value(), fromPath(path));
    return base::Status::success();
}

std::optional<FileIdentity> fileIdentity(const std::string& utf8Path)
{
    struct stat info {};
    if (::stat(utf8Path.c_str(), &info) != 0)
        return std::nullopt;
    return identityOf(info);
}

FileIdentity identityOf(const struct stat& info)
{
    FileIdentity identity;
    identity.size = static_cast<std::uint64_t>(info.st_size);
    identity.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    identity.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.number = static_cast<std::uint64_t>(info.st_ino);
    return identity;
}

std::int64_t fileTimeNow()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t fileTimeUnitsPerSecond()
{
    return 1'000'000'000;
}

OpenFolder::~OpenFolder()
{
    close();
}

base::Status OpenFolder::open(const std::string& utf8Path)
{
    close();
    m_path = utf8Path;
    const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errorFromErrno(errno, utf8Path);
    m_handle = fd;
    m_open = true;
    return base::Status::success();
}

void OpenFolder::close()
{
    if (m_open)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
    m_open = false;
}

std::string OpenFolder::pathOf(const std::string& name) const
{
    return m_path + '/' + name;
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
    const int at = static_cast<int>(folder.m_handle);
    // O_EXCL: a leftover of an interrupted run may be read-only, or a link, which must not be
    // written through; it is removed and the file made anew.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::openat(at, name.c_str(), kFlags, 0666);
    if (fd < 0 && errno == EEXIST && ::unlinkat(at, name.c_str(), 0) == 0)
        fd = ::openat(at, name.c_str(), kFlags, 0666);
    if (fd < 0)
        return errorFromErrno(errno, folder.pathOf(name));
    m_handle = fd;
    m_exists = true;
    return base::Status::success();
}

bool NewFile::write(const void* data, std::size_t size)
{
    return writeAll(static_cast<int>(m_handle), std::string_view(static_cast<const char*>(data), size));
}

base::Status NewFile::close(std::int64_t unixSeconds, const FilePermissions& permissions)
{
    const int fd = static_cast<int>(m_handle);
    m_handle = -1;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(unixSeconds), 0}};
    ::futimens(fd, times);
    if (permissions.bits) {
        ::fchmod(fd, *permissions.bits);
    } else if (permissions.readOnly) {
        struct stat status {};
        if (::fstat(fd, &status) == 0)
            ::fchmod(fd, status.st_mode & 07777 & ~mode_t{0222});
    }
    if (::close(fd) != 0)
        return errorFromErrno(errno, m_folder->pathOf(m_name));
    return base::Status::success();
}

base::Status NewFile::rename(const std::string& target)
{
    const int at = static_cast<int>(m_folder->m_handle);
    if (::renameat(at, m_name.c_str(), at, target.c_str()) != 0)
        return base::Status::error(base::ErrorCode::IoError, errorText(std::error_code(errno, std::generic_category())),
                                   m_folder->pathOf(target));
    m_exists = false;
    return base::Status::success();
}

void NewFile::discard()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
    if (m_exists)
        ::unlinkat(static_cast<int>(m_folder->m_handle), m_name.c_str(), 0);
    m_exists = false;
}

} // namespace platform
