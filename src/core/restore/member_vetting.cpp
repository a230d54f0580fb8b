#include "core/restore/member_vetting.h"

#include "lzh/extractor.h"
#include "lzh/safe_path.h"

namespace core::restore {

std::optional<std::string> firstRefusedMember(const std::string& archivePath)
{
    std::optional<std::string> refused;
    lzh::listArchive(archivePath, [&](const lzh::MemberInfo& member) {
        if (refused)
            return;
        const auto parts = lzh::safeComponents(member.path);
        const bool linkLeaves =
            parts && member.kind == lzh::MemberKind::Symlink && !lzh::linkStaysInside(*parts, member.linkTarget);
        if (!parts || linkLeaves || !member.defect.empty())
            refused = member.kind == lzh::MemberKind::Symlink ? member.path + " -> " + member.linkTarget : member.path;
    });
    return refused;
}

} // namespace core::restore
