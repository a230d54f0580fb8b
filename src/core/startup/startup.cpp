#include "core/startup/startup.h"

#include "core/common/product.h"
#include "core/restore/protected_folder.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace core {
namespace {

enum class Blocked { File, Folder };

// The program cannot go on without its settings file and tree; the person is told which path
// and why, and the program ends.
base::Status reportStartupFailure(Dialogs& dialogs, Blocked what, const base::Status& status)
{
    const std::string lead =
        what == Blocked::File ? "次のファイルを作成できませんでした：" : "次のフォルダを作成できませんでした：";
    dialogs.message(kProductName,
                    lead + "\r" + status.path() + "\r" + status.detail() + "\r" + "プログラムを終了します。");
    return status;
}

bool pathExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(platform::toPath(path), error));
}

// SaveSetup writes "setup.def.tmp<process>-<n>" and renames it over setup.def. A run killed
// between the two leaves that file behind under a name no later run reuses; setup.def is whole
// either way, so the leftover holds nothing worth keeping.
void removeInterruptedSaves(const std::string& folder)
{
    const std::string prefix = platform::fromPath(platform::toPath(setupFilePath(folder)).filename()) + ".tmp";
    const auto entries = platform::listFolder(folder);
    if (!entries.ok())
        return;
    for (const platform::FolderEntry& entry : *entries) {
        if (entry.name.rfind(prefix, 0) != 0)
            continue;
        // is_regular_file follows a link: a link to a file goes as well, the file it names stays.
        const std::filesystem::path leftover = platform::toPath(platform::joinPath(folder, entry.name));
        std::error_code error;
        if (std::filesystem::is_regular_file(leftover, error))
            std::filesystem::remove(leftover, error);
    }
}

} // namespace

base::Status runStartup(AppState& state, Services& services, const std::function<void()>& startupBackup)
{
    Dialogs& dialogs = services.dialogs;
    const std::string& folder = state.programFolder;

    // A folder named setup.def counts as present too; LoadSetup then fails to read it and its
    // rewrite fails below.
    if (!pathExists(setupFilePath(folder))) {
        ApplyDefaults(state.setup, folder);
        if (base::Status saved = SaveSetup(state); !saved.ok())
            return reportStartupFailure(dialogs, Blocked::File, saved);
    }

    removeInterruptedSaves(folder);

    if (base::Status tree = createBackupTree(folder); !tree.ok())
        return reportStartupFailure(dialogs, Blocked::Folder, tree);

    base::Status rewritten;
    if (!LoadSetup(state, dialogs, &rewritten) && !rewritten.ok())
        return reportStartupFailure(dialogs, Blocked::File, rewritten);

    // A hand-edited setup.def may name a folder no restore could go back into: the person hears
    // why now, and no backup of it is taken.
    const auto unrestorable = restore::unrestorableFolderText(state.setup.BackupFolder, folder);
    if (unrestorable)
        dialogs.message(kProductName, *unrestorable);
    else if (state.setup.MonthBackOption[0] == 1 && startupBackup)
        startupBackup();

    if (base::Status tmpRead = createTmpRead(folder); !tmpRead.ok())
        return reportStartupFailure(dialogs, Blocked::Folder, tmpRead);
    return base::Status::success();
}

} // namespace core
