#include "core/restore/unpack_over.h"

#include "core/archive/unlha.h"
#include "core/common/archive_call.h"
#include "core/restore/archive_calls.h"
#include "core/restore/folder_clearing.h"
#include "platform/disk_space.h"
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

// The volume the folder is on, or will be on once created: the nearest folder that exists is
// asked. nullopt when none can say, and then the room is not checked.
std::optional<platform::VolumeSpace> volumeFor(const std::string& folder)
{
    std::error_code ec;
    for (std::filesystem::path p = std::filesystem::absolute(platform::toPath(folder), ec); !ec && !p.empty();
         p = p.parent_path()) {
        if (std::filesystem::is_directory(p, ec)) {
            if (auto space = platform::volumeSpace(platform::fromPath(p)); space.ok())
                return *space;
            return std::nullopt;
        }
        if (p == p.parent_path())
            break;
    }
    return std::nullopt;
}

ArchiveProblem archiveProblem(int code)
{
    switch (code) {
    case archive::kUnlhaArchiveUnreadable:
        return ArchiveProblem::Unreadable;
    case archive::kUnlhaArchiveCorrupt:
        return ArchiveProblem::Corrupt;
    case archive::kUnlhaMemberErrors:
        return ArchiveProblem::DamagedMembers;
    default:
        return ArchiveProblem::Untestable;
    }
}

ExtractionProblem extractionProblem(int code)
{
    switch (code) {
    case archive::kUnlhaWriteFailed:
        return ExtractionProblem::NotWritten;
    case archive::kUnlhaMemberErrors:
        return ExtractionProblem::SomeMembers;
    default:
        return ExtractionProblem::Other;
    }
}

} // namespace

UnpackResult unpackOver(AppState& state, ArchiveRunner& archiver, const std::string& archivePath,
                        const std::string& folder, const std::string& source, Purpose purpose)
{
    if (!isRegularFile(archivePath))
        return failure(UnpackOutcome::ArchiveRejected,
                       archiveRejectedText(archivePath, ArchiveProblem::Unreadable, {}, folder, purpose));
    // One reading of the archive tests its data, judges its names and adds up its files, all
    // before the folder is touched.
    const std::optional<platform::VolumeSpace> volume = volumeFor(folder);
    const std::uint64_t blockSize = volume ? volume->blockSize : 1;
    archive::ArchiveOptions check;
    check.vetForBlockSize = blockSize;
    const archive::ArchiveResult test = runArchiveCommand(state.archiveBusy, archiver, testCommand(archivePath), check);
    if (const int code = archive::unlhaResultCode('t', test); code != archive::kUnlhaOk) {
        return failure(
            UnpackOutcome::ArchiveRejected,
            archiveRejectedText(archivePath, archiveProblem(code), archive::unlhaMessage(code, test), folder, purpose));
    }
    if (test.refusedMember)
        return failure(UnpackOutcome::ArchiveRejected,
                       unsafeArchiveText(archivePath, *test.refusedMember, folder, purpose));
    // Clearing and then running out of room would lose the folder's data and leave the backup
    // half out, so an unpack that cannot fit is refused while everything is still in place.
    if (volume && test.bytesNeeded) {
        const std::uint64_t room = volume->freeBytes + spaceClearingFrees(folder, blockSize);
        if (*test.bytesNeeded > room) {
            return failure(UnpackOutcome::NotEnoughSpace,
                           notEnoughSpaceText(source, folder, *test.bytesNeeded, room, purpose));
        }
    }

    if (const base::Status cleared = clearFolder(folder); !cleared.ok())
        return failure(UnpackOutcome::FolderUnusable, folderUnusableText(folder, cleared.detail(), purpose));
    // A protected folder that has gone is brought back whole rather than left to the archiver.
    std::error_code ec;
    std::filesystem::create_directories(platform::toPath(folder), ec);
    if (ec)
        return failure(UnpackOutcome::FolderUnusable, folderUnusableText(folder, ec.message(), purpose));

    const archive::ArchiveResult extraction =
        runArchiveCommand(state.archiveBusy, archiver, extractCommand(archivePath, folder));
    if (const int code = archive::unlhaResultCode('x', extraction); code != archive::kUnlhaOk) {
        return failure(UnpackOutcome::ExtractionFailed,
                       extractionFailedText(source, folder, extractionProblem(code),
                                            archive::unlhaMessage(code, extraction), purpose));
    }
    return {};
}

} // namespace core::restore
