#pragma once
// File calls that must take Unicode paths on every platform, and atomic replacement.

#include "base/status.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
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

} // namespace platform
