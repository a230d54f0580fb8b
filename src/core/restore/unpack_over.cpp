#include "core/restore/unpack_over.h"

#include "core/archive/unlha.h"
#include "core/restore/archive_calls.h"
#include "core/restore/folder_clearing.h"
#include "core/restore/member_vetting.h"
#include "platform/paths.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace core::restore {
namespace {

UnpackResult failure(UnpackOutcome outcome, std::string text)
{
    return UnpackResult{outcome, std::move(text)};
}

// Every archive we write ends with an end mark, so it has at least one byte. A file of none would
// pass the test as an archive without members and the folder would be emptied for nothing.
bool isEmptyFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::file_size(platform::toPath(path), ec) == 0 && !ec;
}

} // namespace

UnpackResult unpackOver(AppState& state, ArchiveRunner& archiver, const std::string& archivePath,
                        const std::string& folder, const std::string& source, Purpose purpose)
{
    if (!isRegularFile(archivePath)) {
        return failure(UnpackOutcome::ArchiveRejected,
                       archiveRejectedText(archivePath, archive::kUnlhaArchiveUnreadable, {}, folder, purpose));
    }
    if (isEmptyFile(archivePath)) {
        return failure(UnpackOutcome::ArchiveRejected,
                       archiveRejectedText(archivePath, archive::kUnlhaArchiveCorrupt, {}, folder, purpose));
    }
    const ArchiveCallResult test = runArchiveCommand(state, archiver, testCommand(archivePath));
    if (test.code != archive::kUnlhaOk) {
        return failure(UnpackOutcome::ArchiveRejected,
                       archiveRejectedText(archivePath, test.code, test.message, folder, purpose));
    }
    if (const std::optional<std::string> member = firstRefusedMember(archivePath)) {
        return failure(UnpackOutcome::ArchiveRejected, unsafeArchiveText(archivePath, *member, folder, purpose));
    }

    if (const base::Status cleared = clearFolder(folder); !cleared)
        return failure(UnpackOutcome::FolderUnusable, folderUnusableText(folder, cleared.detail(), purpose));
    // A protected folder that has gone is brought back whole rather than left to the archiver.
    std::error_code ec;
    std::filesystem::create_directories(platform::toPath(folder), ec);
    if (ec)
        return failure(UnpackOutcome::FolderUnusable, folderUnusableText(folder, ec.message(), purpose));

    const ArchiveCallResult extraction = runArchiveCommand(state, archiver, extractCommand(archivePath, folder));
    if (extraction.code != archive::kUnlhaOk) {
        return failure(UnpackOutcome::ExtractionFailed,
                       extractionFailedText(source, folder, extraction.code, extraction.message, purpose));
    }
    return {};
}

} // namespace core::restore
