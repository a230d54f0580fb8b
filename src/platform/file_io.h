#pragma once
// File calls that must take Unicode paths on every platform, and atomic replacement.

#include "base/status.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// fopen with a UTF-8 path (_wfopen on Windows). Caller closes.
std::FILE* openFile(const std::string& utf8Path, const char* mode);

// Status for the last failed system call on `path`, with the system's own reason as detail.
base::Status lastSystemError(const std::string& path);

// Writes `bytes` to a temporary file in the same folder as `target`, flushes it to the disk and
// renames it over `target`: a crash leaves either the old or the new file, never a mix.
base::Status writeFileAtomically(const std::string& target, std::string_view bytes);

// Renames a complete `source` over `target` in one step (rename / MoveFileEx write-through).
base::Status replaceFile(const std::string& source, const std::string& target);

// Opens a new empty file for reading and writing beside `besideFile`, for data too large to keep
// in memory. The system removes it when it is closed, however the program ends. nullptr on
// failure (lastSystemError tells why).
std::FILE* openScratchFile(const std::string& besideFile);

// Flushes an open file's data to the disk.
base::Status syncFile(std::FILE* file, const std::string& path);

// Sets the modification time of a file or a folder, in seconds since 1970 (UTC). MinGW's
// std::filesystem cannot set a folder's time, so the Windows side does it itself.
base::Status setModificationTime(const std::filesystem::path& path, std::int64_t unixSeconds);

// What tells one version of a file from another: a file rewritten in place changes its size or
// its modification time, one renamed over it its number (device and inode on POSIX, volume serial
// and file index on Windows). A program can set the modification time back, but not the change
// time: any write or change of attributes sets it to the system's clock.
struct FileIdentity {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the system's own finest unit (fileTimeNow's)
    std::int64_t changed = 0;  // the same unit; 0 where the file system keeps none
    std::uint64_t device = 0;
    std::uint64_t number = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The clock in the unit of FileIdentity's times (ns since 1970 on POSIX, 100 ns since 1601 on
// Windows), and how many of that unit make a second.
std::int64_t fileTimeNow();
std::int64_t fileTimeUnitsPerSecond();

// The identity of the file at utf8Path, links followed; nullopt when it cannot be examined.
std::optional<FileIdentity> fileIdentity(const std::string& utf8Path);

// The permissions an extracted file is given: exactly these bits, or, without them, those it was
// created with less write access when readOnly. On Windows only "no write access for its owner"
// counts, as the read-only attribute.
struct FilePermissions {
    std::optional<std::uint16_t> bits; // 0777 at most
    bool readOnly = false;
};

// A folder that new files are made in. On POSIX it is held open and files are named relative to
// it, so making each of many small files does not look its whole path up again (nor follows a
// folder swapped for a link on the way); on Windows it keeps the path.
class OpenFolder {
public:
    OpenFolder() = default;
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // Opens utf8Path, which must be a real folder, not a link to one.
    base::Status open(const std::string& utf8Path);
    void close();
    bool isOpen() const { return m_open; }
    const std::string& path() const { return m_path; }
    // The path of name inside the folder, for messages and path-based calls.
    std::string pathOf(const std::string& name) const;

private:
    friend class NewFile;
    std::string m_path;
    std::intptr_t m_handle = -1; // the descriptor on POSIX; unused on Windows
    bool m_open = false;
};

// A file written whole from its start and then put in place: extraction writes each file under
// a temporary name and renames it once complete. Every step is one system call on the open
// file, with no stdio buffer (callers write in large pieces), so a small file costs as few calls
// as the system allows.
class NewFile {
public:
    NewFile() = default;
    // An unfinished file is closed and removed.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates the file name (one component) in folder for writing. A file of that name (one left
    // by an interrupted run) is replaced; a folder is not. folder must stay open until the file
    // is renamed or discarded.
    base::Status create(const OpenFolder& folder, const std::string& name);
    // Writes all of data; false on failure, and lastSystemError then tells why.
    bool write(const void* data, std::size_t size);
    // Gives the file its modification time (seconds since 1970, UTC) and its permissions, then
    // closes it. The time and permissions are set as far as the system allows, without error:
    // only a failed close is reported, as lastSystemError would (the data may not be whole).
    base::Status close(std::int64_t unixSeconds, const FilePermissions& permissions);
    // Renames the closed file over target, a name in the same folder; IoError with the system's
    // reason when it cannot.
    base::Status rename(const std::string& target);
    // Closes (if still open) and removes the file, unless rename() has put it in place.
    void discard();

private:
    const OpenFolder* m_folder = nullptr;
    std::string m_name;
    std::intptr_t m_handle = -1; // the descriptor, or the Windows HANDLE; -1 when closed
    bool m_exists = false;       // created and not yet renamed or removed
};

} // namespace platform
