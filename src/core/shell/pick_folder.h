#pragma once
// The Setup dialog's folder picker: asks for the folder to protect and stores it in BackupFolder.

#include "core/common/dialogs.h"
#include "core/settings/setup_record.h"

#include <string>

namespace core {

inline constexpr const char* kPickFolderInstruction = "保存したいフォルダをクリックします";
inline constexpr const char* kFolderMissingMessage = "指定されたファイルが存在しません";

// Blocks while the chooser is open. Returns "" when a folder was chosen and stored in
// record.BackupFolder with one trailing separator; "Cancel" when the person cancelled, the chosen
// folder does not exist, or it is one a restore could never go back into (the program folder or
// one holding it, a root, a folder in the slot tree); a message says why in the last two cases.
// The record is changed in memory only.
std::string PickFolder(SetupRecord& record, Dialogs& dialogs, const std::string& programFolder);

// Where the chooser starts: BackupFolder, or the file system's root when it is empty.
std::string pickFolderStart(const SetupRecord& record);

} // namespace core
