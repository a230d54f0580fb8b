#pragma once
// The Setup dialog's folder picker: asks for the folder to protect and stores it in BackupFolder.

#include "core/common/dialogs.h"
#include "core/settings/setup_record.h"

#include <string>

namespace core {

inline constexpr const char* kPickFolderInstruction = "保存したいフォルダをクリックします";
inline constexpr const char* kFolderMissingMessage = "指定されたファイルが存在しません";

// Blocks while the chooser is open. Returns "" when a folder was chosen and stored in
// record.BackupFolder with one trailing separator; "Cancel" when the person cancelled or the
// chosen folder does not exist (then a message says so). The record is changed in memory only.
std::string PickFolder(SetupRecord& record, Dialogs& dialogs);

// Where the chooser starts: BackupFolder, or the file system's root when it is empty.
std::string pickFolderStart(const SetupRecord& record);

} // namespace core
