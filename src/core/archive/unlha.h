#pragma once
// The archiver's command interface: every pack and unpack of the program is one command line
// handed to Unlha, as "a -d1 -y1 -h2 -jm2 \"archive\" \"folder<sep>\"" or
// "x -d1 -y1 \"archive\" \"folder<sep>\"". Command lines are UTF-8 (paths that CP932 cannot
// hold stay whole). Commands, switches and return codes are described in docs/unlha.md.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace core::archive {

enum UnlhaResult : int {
    kUnlhaOk = 0,
    kUnlhaBadCommand = 1,       // unknown command or switch, malformed quoting; no file touched
    kUnlhaSourceMissing = 2,    // the folder to pack does not exist or is not a folder
    kUnlhaArchiveUnreadable = 3, // the archive is missing or cannot be opened
    kUnlhaArchiveCorrupt = 4,   // the archive's structure is damaged (headers, truncation)
    kUnlhaMemberErrors = 5,     // some members failed (CRC, method, refused name); the rest came out
    kUnlhaWriteFailed = 6,      // the archive or an extracted file could not be written (full disk...)
    kUnlhaPartial = 7,          // packed, but some files could not be read and were skipped
    kUnlhaCancelled = 8,        // the cancel flag was raised; nothing was replaced
};

// Called from the thread that runs the archive work (a test runs on two threads and calls from
// either, one call at a time); the cancel flag may be set from any thread.
struct UnlhaProgress {
    std::function<void(std::uint64_t bytesDone, std::uint64_t bytesTotal, const std::string& member)> onProgress;
    const std::atomic<bool>* cancel = nullptr;
};

struct UnlhaOptions {
    UnlhaProgress progress;
    // Absolute paths never packed (the program's own tree when it lies inside the packed folder).
    std::vector<std::string> excludedPaths;
    // Set to the number of files skipped by a partial pack, when not null.
    int* skippedFiles = nullptr;
};

// window: the calling window's handle, unused. output/outputSize: when outputSize > 0, a short
// message describing the result is written there, cut to fit and zero-terminated.
int Unlha(void* window, const char* command, char* output, int outputSize, const UnlhaOptions* options = nullptr);

} // namespace core::archive
