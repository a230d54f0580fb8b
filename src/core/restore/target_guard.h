#pragma once
// Folders that a restore or a copy must never clear: clearing them would destroy more than the
// person asked for (a whole drive, the program with every backup, a slot). The same rule decides
// which folders may be protected at all, since a backup that can never be restored protects nothing.

#include <string>

namespace core::restore {

enum class TargetRefusal {
    None,
    Empty,                 // no folder given
    NotAbsolute,           // relative to whatever the working folder happens to be
    DriveDesignator,       // "C:" names the drive's current folder, not one the person chose
    FileSystemRoot,        // "/", "C:\"
    UnquotableName,        // holds a double quote, which the archiver's command line cannot carry
    ProgramFolder,         // the folder of setup.def and the slot tree
    ContainsProgramFolder, // an ancestor of the program folder: clearing it deletes every backup
    InsideSlotTree,        // MonthBack, DayBack or anything below them
    NotAFolder,            // a file of that name exists
};

// Decides on the path as given and on where it really leads (links resolved), so another
// spelling of a protected folder is refused too. A folder that does not exist yet may pass.
TargetRefusal checkTarget(const std::string& target, const std::string& programFolder);

// Why a folder is refused, worded to be followed by "ので"; empty for None and Empty.
const char* refusalReason(TargetRefusal refusal);

// True when folder is ancestor or lies below it, judged on where both really lead.
bool liesWithin(const std::string& folder, const std::string& ancestor);

} // namespace core::restore
