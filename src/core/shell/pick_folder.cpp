#include "core/shell/pick_folder.h"

#include "core/common/product.h"
#include "core/restore/protected_folder.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace core {

namespace {

#ifdef _WIN32
constexpr const char* kFileSystemRoot = "C:\\";
#else
constexpr const char* kFileSystemRoot = "/";
#endif

bool folderExists(const std::string& folder)
{
    std::error_code error;
    return !folder.empty() && std::filesystem::is_directory(platform::toPath(folder), error);
}

} // namespace

std::string pickFolderStart(const SetupRecord& record)
{
    return record.BackupFolder.empty() ? std::string(kFileSystemRoot) : record.BackupFolder;
}

std::string PickFolder(SetupRecord& record, Dialogs& dialogs, const std::string& programFolder)
{
    const std::string title = std::string(kProductName) + "：　　フォルダを指定する";
    const auto chosen = dialogs.chooseFolder(title, pickFolderStart(record), kPickFolderInstruction);
    if (!chosen)
        return "Cancel";
    // A file of that name is no folder to back up either.
    if (!folderExists(*chosen)) {
        dialogs.message(kProductName, kFolderMissingMessage);
        return "Cancel";
    }
    const std::string folder = platform::withOneTrailingSeparator(*chosen);
    if (const auto unrestorable = restore::unrestorableFolderText(folder, programFolder)) {
        dialogs.message(kProductName, *unrestorable);
        return "Cancel";
    }
    record.BackupFolder = folder;
    return "";
}

} // namespace core
