#include "core/restore/protected_folder.h"

#include "core/restore/target_guard.h"
#include "core/store/backup_tree.h"

namespace core::restore {

std::string protectedFolderPath(const std::string& backupFolder)
{
    const std::string folder = sourcePath(backupFolder);
    return folder.empty() || (folder.size() == 2 && folder[1] == ':') ? backupFolder : folder;
}

std::optional<std::string> unrestorableFolderText(const std::string& backupFolder, const std::string& programFolder)
{
    const std::string folder = protectedFolderPath(backupFolder);
    const TargetRefusal refusal = checkTarget(folder, programFolder);
    if (refusal == TargetRefusal::None || refusal == TargetRefusal::Empty || refusal == TargetRefusal::NotAFolder)
        return std::nullopt;
    return folder + " は\r" + refusalReason(refusal) + "ので　バックアップしても復元できません。\r\r" +
           "バックアップするフォルダには　別のフォルダを設定してください。";
}

} // namespace core::restore
