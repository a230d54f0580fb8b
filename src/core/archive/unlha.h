#pragma once
// Unlha: the archiver's command-line interface, over the typed entry of archive_entry.h. Every
// pack and unpack of the program is first built as a command line, as
// "a -d1 -y1 -h2 -jm2 \"archive\" \"folder<sep>\"" or "x -d1 -y1 \"archive\" \"folder<sep>\"";
// command lines are UTF-8 (paths that CP932 cannot hold stay whole). Commands, switches and
// return codes are described in docs/unlha.md.

#include "core/archive/archive_entry.h"

#include <string>

namespace core::archive {

enum UnlhaResult : int {
    kUnlhaOk = 0,
    kUnlhaBadCommand = 1,        // unknown command or switch, malformed quoting; no file touched
    kUnlhaSourceMissing = 2,     // the folder to pack does not exist or is not a folder
    kUnlhaArchiveUnreadable = 3, // the archive is missing or cannot be opened
    kUnlhaArchiveCorrupt = 4,    // the archive's structure is damaged (headers, truncation)
    kUnlhaMemberErrors = 5,      // some members failed (CRC, method, refused name); the rest came out
    kUnlhaWriteFailed = 6,       // the archive or an extracted file could not be written (full disk...)
    kUnlhaPartial = 7,           // packed, but some files could not be read and were skipped
    kUnlhaCancelled = 8,         // the cancel flag was raised; nothing was replaced
};

// The return code for what the command came to.
int unlhaResultCode(char command, const ArchiveResult& result);

// The short text for it: "OK: <n> members", "cancelled", or "error: <path>: <why>" with the count
// of failed members and the first one.
std::string unlhaMessage(int code, const ArchiveResult& result);

// Parses command and runs it through runArchive. window: the calling window's handle, unused.
// output/outputSize: when outputSize > 0, unlhaMessage (or "bad command: <why>") is written
// there, cut to fit at a character boundary and zero-terminated.
int Unlha(void* window, const char* command, char* output, int outputSize, const ArchiveOptions* options = nullptr);

} // namespace core::archive
