#pragma once
// The slot tree beside the executable: MonthBack/mback01..31, DayBack/hback00..23, TmpRead, and
// the two rules that choose a slot. Paths use the platform's separator.

#include "base/status.h"
#include "core/common/date_time.h"
#include "core/settings/setup_record.h"

#include <string>

namespace core {

inline constexpr int kMonthSlotCount = 31;
inline constexpr int kDaySlotCount = 24;
inline constexpr const char* kArchiveFileName = "BackUp.lzh";

std::string twoDigits(int number);
std::string monthBackFolder(const std::string& programFolder);
std::string dayBackFolder(const std::string& programFolder);
std::string tmpReadFolder(const std::string& programFolder);
std::string monthSlotPath(const std::string& programFolder, int dayOfMonth); // mback01..31
std::string daySlotPath(const std::string& programFolder, int slot);         // hback00..23
std::string archivePathInSlot(const std::string& slotPath);

// Today's MonthBack slot: stamps MonthBackDate(d - 1) with now and returns the slot path.
std::string chooseTodaysMonthSlot(SetupRecord& record, const std::string& programFolder, DateTime now);

// The next DayBack slot: advances DayBackSlot (any result outside 0..23 becomes 0), stamps
// DayBackDate(DayBackSlot) with now and returns the slot path.
std::string chooseNextDaySlot(SetupRecord& record, const std::string& programFolder, DateTime now);

// The slot archive written last (by its modification time), other than except; empty when the
// tree holds none. A backup copies the packed bytes of unchanged files from it.
std::string newestArchive(const std::string& programFolder, const std::string& except);

// BackupFolder less one trailing separator.
std::string sourcePath(const std::string& backupFolder);

// Creates whatever is missing of MonthBack, its 31 slots, DayBack and its 24 slots, in that
// order. Anything of the right name that exists (a plain file too) is left as it is. Stops at
// the first folder that cannot be created and names it.
base::Status createBackupTree(const std::string& programFolder);

// Creates TmpRead when missing.
base::Status createTmpRead(const std::string& programFolder);

} // namespace core
