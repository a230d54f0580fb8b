#include "core/find/current_state.h"

#include "core/find/local_file.h"

namespace core::find {

CurrentState currentState(const std::string& protectedFolder, const std::string& path,
                          const std::vector<Version>& versions)
{
    if (protectedFolder.empty())
        return {FileState::Gone, -1, 0, 0};
    const std::string local = localPathOf(protectedFolder, path);
    const auto entry = entryAt(local);
    if (!entry)
        return {FileState::Gone, -1, 0, 0};
    CurrentState state{FileState::Changed, -1, entry->mtime, entry->size};
    if (entry->kind != platform::EntryKind::File)
        return state;
    // Size and time pick the candidate; the content's CRC vouches for it, so a file rewritten
    // with its old time kept is not taken for the backup's.
    std::optional<std::uint16_t> crc;
    for (std::size_t k = 0; k < versions.size(); ++k) {
        const Version& version = versions[k];
        if (version.size != entry->size || version.mtime != entry->mtime)
            continue;
        if (!crc && !(crc = contentCrc(local)))
            return state;
        if (*crc == version.crc)
            return {FileState::Same, static_cast<int>(k), entry->mtime, entry->size};
    }
    return state;
}

Overwrite overwriteQuestion(const std::string& targetFile, const Version& version)
{
    const auto entry = entryAt(targetFile);
    if (!entry)
        return Overwrite::Nothing;
    if (entry->kind == platform::EntryKind::File && entry->size == version.size && entry->mtime == version.mtime &&
        contentCrc(targetFile) == version.crc)
        return Overwrite::Identical;
    if (version.mtime == entry->mtime)
        return Overwrite::SameTime;
    return version.mtime > entry->mtime ? Overwrite::BackupNewer : Overwrite::CurrentNewer;
}

} // namespace core::find
