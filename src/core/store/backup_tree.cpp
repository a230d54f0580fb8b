#include "core/store/backup_tree.h"

#include "core/common/error_status.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace core {
namespace {

// A name that exists as anything (a plain file too) counts as present and is never touched;
// creating beneath a plain file then fails and is reported.
base::Status createFolderIfMissing(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path folder = platform::toPath(path);
    if (std::filesystem::exists(std::filesystem::symlink_status(folder, error)))
        return base::Status::success();
    if (!std::filesystem::create_directory(folder, error) && !error)
        return base::Status::success(); // appeared meanwhile
    // Windows says "path not found" where a plain file stands in for the parent folder; the
    // person is told what POSIX says: a file where a folder belongs.
    std::error_code parentError;
    const auto parent = std::filesystem::status(folder.parent_path(), parentError);
    if (error == std::errc::no_such_file_or_directory && std::filesystem::exists(parent) &&
        !std::filesystem::is_directory(parent))
        error = std::make_error_code(std::errc::not_a_directory);
    return statusFromError(error, path);
}

} // namespace

std::string twoDigits(int number)
{
    const int value = number < 0 ? 0 : number % 100;
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string monthBackFolder(const std::string& programFolder)
{
    return platform::joinPath(programFolder, "MonthBack");
}

std::string dayBackFolder(const std::string& programFolder)
{
    return platform::joinPath(programFolder, "DayBack");
}

std::string tmpReadFolder(const std::string& programFolder)
{
    return platform::joinPath(programFolder, "TmpRead");
}

std::string monthSlotPath(const std::string& programFolder, int dayOfMonth)
{
    return platform::joinPath(monthBackFolder(programFolder), "mback" + twoDigits(dayOfMonth));
}

std::string daySlotPath(const std::string& programFolder, int slot)
{
    return platform::joinPath(dayBackFolder(programFolder), "hback" + twoDigits(slot));
}

std::string archivePathInSlot(const std::string& slotPath)
{
    return platform::joinPath(slotPath, kArchiveFileName);
}

std::string chooseTodaysMonthSlot(SetupRecord& record, const std::string& programFolder, DateTime now)
{
    const int day = now.civil().day;
    record.MonthBackDate[static_cast<size_t>(day - 1)] = now;
    return monthSlotPath(programFolder, day);
}

std::string chooseNextDaySlot(SetupRecord& record, const std::string& programFolder, DateTime now)
{
    // A hand-edited slot outside the ring (negative too) restarts it at 0 rather than indexing
    // outside the 24 stamps.
    const int next = record.DayBackSlot + 1;
    record.DayBackSlot = static_cast<std::int16_t>(next > kDaySlotCount - 1 || next < 0 ? 0 : next);
    record.DayBackDate[static_cast<size_t>(record.DayBackSlot)] = now;
    return daySlotPath(programFolder, record.DayBackSlot);
}

std::string newestArchive(const std::string& programFolder, const std::string& except)
{
    std::vector<std::string> slots;
    for (int day = 1; day <= kMonthSlotCount; ++day)
        slots.push_back(monthSlotPath(programFolder, day));
    for (int slot = 0; slot < kDaySlotCount; ++slot)
        slots.push_back(daySlotPath(programFolder, slot));
    // The platform's own times: std::filesystem's come in whole seconds on Windows, where two
    // backups a moment apart would tie.
    std::string newest;
    std::int64_t newestTime = 0;
    for (const std::string& slot : slots) {
        const std::string archive = archivePathInSlot(slot);
        std::error_code ec;
        if (archive == except || !std::filesystem::is_regular_file(platform::toPath(archive), ec))
            continue;
        const std::optional<platform::FileIdentity> identity = platform::fileIdentity(archive);
        if (identity && (newest.empty() || identity->modified > newestTime)) {
            newest = archive;
            newestTime = identity->modified;
        }
    }
    return newest;
}

std::string sourcePath(const std::string& backupFolder)
{
    if (!backupFolder.empty() && backupFolder.back() == platform::kSeparator)
        return backupFolder.substr(0, backupFolder.size() - 1);
    return backupFolder;
}

base::Status createBackupTree(const std::string& programFolder)
{
    if (base::Status status = createFolderIfMissing(monthBackFolder(programFolder)); !status.ok())
        return status;
    for (int day = 1; day <= kMonthSlotCount; ++day)
        if (base::Status status = createFolderIfMissing(monthSlotPath(programFolder, day)); !status.ok())
            return status;
    if (base::Status status = createFolderIfMissing(dayBackFolder(programFolder)); !status.ok())
        return status;
    for (int slot = 0; slot < kDaySlotCount; ++slot)
        if (base::Status status = createFolderIfMissing(daySlotPath(programFolder, slot)); !status.ok())
            return status;
    return base::Status::success();
}

base::Status createTmpRead(const std::string& programFolder)
{
    return createFolderIfMissing(tmpReadFolder(programFolder));
}

} // namespace core
