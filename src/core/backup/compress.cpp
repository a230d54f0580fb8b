#include "core/archive/unlha.h"
#include "core/backup/archive_commands.h"
#include "core/backup/backup_operations.h"
#include "core/common/archive_call.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>

namespace core {
namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Windows names one folder in any letter case; elsewhere case tells names apart.
bool samePart(const std::filesystem::path& a, const std::filesystem::path& b)
{
    if constexpr (platform::kSeparator != '\\')
        return a == b;
    const std::string left = platform::fromPath(a);
    const std::string right = platform::fromPath(b);
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

bool isStrictlyInside(const std::string& path, const std::string& folder)
{
    const std::filesystem::path inner = platform::toPath(path).lexically_normal();
    std::filesystem::path outer = platform::toPath(folder).lexically_normal();
    if (!outer.empty() && outer.filename().empty())
        outer = outer.parent_path(); // "a/b/" names the same folder as "a/b"
    auto innerPart = inner.begin();
    for (const auto& part : outer) {
        if (innerPart == inner.end() || !samePart(*innerPart, part))
            return false;
        ++innerPart;
    }
    return innerPart != inner.end() && !innerPart->empty();
}

} // namespace

std::string addCommand(const std::string& archivePath, const std::string& source, const std::string& carryFrom)
{
    const std::string carry = carryFrom.empty() ? "" : "-jc " + quoted(carryFrom) + " ";
    return "a -d1 -y1 -h2 -jm2 " + carry + quoted(archivePath) + " " + quoted(source + platform::kSeparator);
}

std::vector<std::string> ownTreeInside(const std::string& programFolder, const std::string& source,
                                       const std::string& slot, const std::string& archivePath)
{
    std::vector<std::string> candidates = {
        monthBackFolder(programFolder),
        dayBackFolder(programFolder),
        setupFilePath(programFolder),
        tmpReadFolder(programFolder),
        slot,
        archivePath,
    };
    std::erase_if(candidates, [&](const std::string& path) { return !isStrictlyInside(path, source); });
    return candidates;
}

CompressOutcome packInto(AppState& state, Services& services, const std::string& source, const std::string& slot,
                         const std::string& archivePath)
{
    archive::ArchiveOptions options;
    options.excludedPaths = ownTreeInside(state.programFolder, source, slot, archivePath);
    // Unchanged files are copied from the newest other archive in the tree and, for an add onto
    // the slot's archive (a day's slot is a day old), from that archive too.
    const std::string carryFrom = newestArchive(state.programFolder, archivePath);
    CompressOutcome outcome;
    outcome.archive =
        runArchiveCommand(state.archiveBusy, services.archiver, addCommand(archivePath, source, carryFrom), options);
    switch (archive::unlhaResultCode('a', outcome.archive)) {
    case archive::kUnlhaOk:
        outcome.result = BackupResult::Written;
        break;
    case archive::kUnlhaPartial:
        outcome.result = BackupResult::WrittenWithoutSome;
        break;
    case archive::kUnlhaSourceMissing:
        outcome.result = BackupResult::SourceMissing;
        break;
    case archive::kUnlhaCancelled:
        outcome.result = BackupResult::Cancelled;
        break;
    default:
        outcome.result = BackupResult::NotWritten;
        break;
    }
    return outcome;
}

CompressOutcome compress(AppState& state, Services& services, const std::string& source, const std::string& slot)
{
    return packInto(state, services, source, slot, archivePathInSlot(slot));
}

} // namespace core
