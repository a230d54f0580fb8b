#include "core/restore/target_guard.h"

#include "core/store/backup_tree.h"
#include "platform/paths.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace core::restore {
namespace fs = std::filesystem;

namespace {

bool isDriveDesignator(const std::string& target)
{
    return target.size() == 2 && std::isalpha(static_cast<unsigned char>(target[0])) && target[1] == ':';
}

// Links and "..", resolved as far as the path exists.
fs::path resolved(const fs::path& path)
{
    std::error_code ec;
    fs::path result = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : result;
}

bool sameFolder(const fs::path& a, const fs::path& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// "/", "C:\", "\" (the current drive's root); a bare relative name is not one.
bool isRoot(const fs::path& path)
{
    return path.has_root_path() && (!path.has_relative_path() || path.relative_path() == ".");
}

// path itself first, then each parent up to the root.
template <typename Visit> bool anyOfSelfAndAncestors(fs::path path, Visit visit)
{
    while (true) {
        if (visit(path))
            return true;
        fs::path parent = path.parent_path();
        if (parent.empty() || parent == path)
            return false;
        path = parent;
    }
}

} // namespace

TargetRefusal checkTarget(const std::string& target, const std::string& programFolder)
{
    if (target.empty())
        return TargetRefusal::Empty;
    if (isDriveDesignator(target))
        return TargetRefusal::DriveDesignator;
    const fs::path given = platform::toPath(target);
    if (isRoot(given.lexically_normal()))
        return TargetRefusal::FileSystemRoot;
    if (!given.is_absolute())
        return TargetRefusal::NotAbsolute;
    if (target.find('"') != std::string::npos)
        return TargetRefusal::UnquotableName;

    const fs::path folder = resolved(given);
    if (isRoot(folder))
        return TargetRefusal::FileSystemRoot;

    const fs::path program = resolved(platform::toPath(programFolder));
    if (sameFolder(folder, program))
        return TargetRefusal::ProgramFolder;
    if (anyOfSelfAndAncestors(program.parent_path(), [&](const fs::path& p) { return sameFolder(folder, p); }))
        return TargetRefusal::ContainsProgramFolder;

    const fs::path monthBack = resolved(platform::toPath(monthBackFolder(programFolder)));
    const fs::path dayBack = resolved(platform::toPath(dayBackFolder(programFolder)));
    if (anyOfSelfAndAncestors(folder,
                              [&](const fs::path& p) { return sameFolder(p, monthBack) || sameFolder(p, dayBack); }))
        return TargetRefusal::InsideSlotTree;

    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (fs::exists(status) && !fs::is_directory(status))
        return TargetRefusal::NotAFolder;
    return TargetRefusal::None;
}

const char* refusalReason(TargetRefusal refusal)
{
    switch (refusal) {
    case TargetRefusal::None:
    case TargetRefusal::Empty:
        break;
    case TargetRefusal::NotAbsolute:
        return "ドライブから始まる完全なパスではない";
    case TargetRefusal::DriveDesignator:
    case TargetRefusal::FileSystemRoot:
        return "ドライブ全体を指している";
    case TargetRefusal::UnquotableName:
        return "名前に　\"　を含んでいる";
    case TargetRefusal::ProgramFolder:
        return "つむぎ君のプログラムフォルダである";
    case TargetRefusal::ContainsProgramFolder:
        return "バックアップを保存しているフォルダを含んでいる";
    case TargetRefusal::InsideSlotTree:
        return "バックアップの保存場所の中にある";
    case TargetRefusal::NotAFolder:
        return "フォルダではなくファイルである";
    }
    return "";
}

bool liesWithin(const std::string& folder, const std::string& ancestor)
{
    const fs::path outer = resolved(platform::toPath(ancestor));
    return anyOfSelfAndAncestors(resolved(platform::toPath(folder)),
                                 [&](const fs::path& p) { return sameFolder(p, outer); });
}

} // namespace core::restore
