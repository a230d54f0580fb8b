#pragma once
// The titles and texts the backups show. Line breaks are a lone CR.

#include "core/backup/backup_operations.h"

#include <string>

namespace core {

std::string nowbackTitle();         // "つむぎ君：　現状をバックアップ"
std::string daybackTitle();         // "つむぎ君：　本日をバックアップ"
std::string scheduledBackupTitle(); // "つむぎ君：　自動バックアップ", for the timer's and start-up's backups

// source + " を " + CR + slot + " にバックアップしました"
std::string backupDoneText(const std::string& source, const std::string& slot);

// backupDoneText when the backup succeeded whole; otherwise what failed and which slot was meant.
std::string backupReportText(const CompressOutcome& outcome, const std::string& source, const std::string& slot);

} // namespace core
