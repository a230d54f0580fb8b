#include "core/restore/member_vetting.h"

#include "lzh/extractor.h"
#include "lzh/safe_path.h"
#include "platform/disk_space.h"

namespace core::restore {

MemberVetting vetMembers(const std::string& archivePath, std::uint64_t blockSize)
{
    MemberVetting vetting;
    std::uint64_t needed = 0;
    lzh::ArchiveLinks links;
    const lzh::RunSummary listed = lzh::listArchive(archivePath, [&](const lzh::MemberInfo& member) {
        if (member.kind == lzh::MemberKind::File)
            needed += platform::allocatedSize(member.originalSize, blockSize);
        if (vetting.refused)
            return;
        const auto parts = lzh::safeComponents(member.path);
        if (!parts || links.liesBelowOne(*parts) || !member.defect.empty())
            vetting.refused =
                member.kind == lzh::MemberKind::Symlink ? member.path + " -> " + member.linkTarget : member.path;
        else if (member.kind == lzh::MemberKind::Symlink)
            links.add(*parts);
    });
    if (listed.archiveStatus.ok())
        vetting.bytesNeeded = needed;
    return vetting;
}

} // namespace core::restore
