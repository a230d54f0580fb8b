#pragma once
// Writing one backup into one slot folder, so that a failed backup never costs the previous one.

#include "core/backup/backup_operations.h"

#include <string>

namespace core {

enum class SlotWrite {
    AddToArchive,   // scheduled backups: add onto the slot's archive, entries of the same name replaced
    ReplaceArchive, // menu backups: the slot ends up holding only the new archive
};

// What the menu backups pack into before the new archive takes the place of the old one.
inline constexpr const char* kPendingArchiveName = "BackUp.new.lzh";

// Packs source into slot. source must be a folder that can be read; a missing slot folder is
// created again, a slot that is not a folder fails. ReplaceArchive packs into kPendingArchiveName
// (the add command tests what it writes before naming it), deletes the slot's other files
// (subfolders stay) and renames it to BackUp.lzh. On any failure the slot keeps the archive it
// held. A source found wanting before packing is SourceMissing, a slot that
// cannot be used NotWritten. Blocks until the archiver is done.
CompressOutcome backUpIntoSlot(AppState& state, Services& services, const std::string& source, const std::string& slot,
                               SlotWrite mode);

// True when the slot received a new archive, even one lacking files that could not be read.
bool wroteNewArchive(const CompressOutcome& outcome);

} // namespace core
