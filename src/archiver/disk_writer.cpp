#include "archiver/disk_writer.h"

#include "platform/paths.h"

#include <system_error>

namespace archiver {
namespace fs = std::filesystem;
namespace {

constexpr const char* kPartSuffix = ".fernhold-part";

base::Status memberError(base::ErrorCode code, const std::string& detail, const std::string& path)
{
    return base::Status::error(code, detail, path);
}

platform::FilePermissions permissionsOf(const lzh::MemberInfo& member)
{
    platform::FilePermissions permissions;
    permissions.readOnly = (member.dosAttributes & 0x01) != 0;
    if (member.unixMode) {
        std::uint16_t bits = *member.unixMode & 0777;
        if (permissions.readOnly)
            bits &= static_cast<std::uint16_t>(~0222);
        permissions.bits = bits;
    }
    return permissions;
}

} // namespace

DiskWriter::DiskWriter(const std::function<void(const base::Status&)>& report, const std::function<bool()>& chunkDone)
    : m_report(report), m_chunkDone(chunkDone)
{
}

base::Status DiskWriter::prepareRoot(const std::string& target)
{
    std::error_code ec;
    m_root = platform::toPath(target);
    fs::create_directories(m_root, ec);
    if (ec || !fs::is_directory(m_root, ec))
        return base::Status::error(base::ErrorCode::IoError, "cannot create the target folder", target);
    return base::Status::success();
}

bool DiskWriter::write(const lzh::MemberInfo& member, const std::vector<std::string>& parts, lzh::ArchiveReader& reader)
{
    switch (member.kind) {
    case lzh::MemberKind::Directory:
        return writeFolder(member, parts);
    case lzh::MemberKind::Symlink:
        // Made as a link whatever it points to; nothing is ever written through one.
        m_links.push_back({member, parts});
        return false;
    case lzh::MemberKind::File:
        return writeFile(member, parts, reader);
    }
    return false;
}

bool DiskWriter::fail(const base::Status& status)
{
    m_report(status);
    return false;
}

// Creates the folders leading to (and, with all, including) the last component, refusing to pass
// through anything but a real folder.
std::optional<fs::path> DiskWriter::makeFolders(const std::vector<std::string>& parts, bool all,
                                                const std::string& member)
{
    fs::path path = m_root;
    std::string key;
    const std::size_t count = all ? parts.size() : parts.size() - 1;
    for (std::size_t i = 0; i < count; ++i) {
        path /= platform::toPath(parts[i]);
        key += parts[i];
        key += '/';
        if (m_folders.count(key))
            continue;
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (!fs::exists(status))
            fs::create_directory(path, ec);
        else if (!fs::is_directory(status))
            ec = std::make_error_code(std::errc::not_a_directory);
        if (ec) {
            fail(memberError(base::ErrorCode::IoError, "cannot create folder: " + ec.message(), member));
            return std::nullopt;
        }
        m_folders.insert(key);
    }
    return path;
}

bool DiskWriter::writeFolder(const lzh::MemberInfo& member, const std::vector<std::string>& parts)
{
    auto path = makeFolders(parts, true, member.path);
    if (!path)
        return false;
    m_folderTimes.push_back({*path, member.mtime});
    return true;
}

bool DiskWriter::writeFile(const lzh::MemberInfo& member, const std::vector<std::string>& parts,
                           lzh::ArchiveReader& reader)
{
    if (!openFolderOf(parts, member.path))
        return false;
    const std::string& name = parts.back();
    if (auto status = m_out.create(m_folder, name + kPartSuffix); !status.ok())
        return fail(memberError(status.code(), status.detail(), member.path));
    bool writeError = false;
    auto status = reader.readData([&](const std::uint8_t* data, std::size_t size) {
        if (!m_out.write(data, size)) {
            writeError = true;
            return false;
        }
        return m_chunkDone();
    });
    if (writeError)
        status = platform::lastSystemError(m_folder.pathOf(name));
    if (status.ok()) {
        // The time and permissions go on through the open file, before the rename.
        status = m_out.close(member.mtime, permissionsOf(member));
        if (!status.ok())
            status = base::Status::error(status.code(), status.detail(), m_folder.pathOf(name));
    }
    if (status.ok()) {
        // A plain rename: syncing the folder for every file would make large restores crawl, and
        // an interrupted extraction is repeated, not resumed.
        status = m_out.rename(name);
        std::error_code statusError;
        if (!status.ok() && fs::is_directory(fs::symlink_status(platform::toPath(m_folder.pathOf(name)), statusError)))
            status = base::Status::error(base::ErrorCode::IoError, "a folder is in the way", member.path);
    }
    if (!status.ok()) {
        m_out.discard();
        return fail(memberError(status.code(), status.detail(), member.path));
    }
    return true;
}

// Opens the folder a file member goes in, making it first when needed. Members come folder by
// folder, so the one open folder usually serves the next file too.
bool DiskWriter::openFolderOf(const std::vector<std::string>& parts, const std::string& member)
{
    std::string key;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        key += parts[i];
        key += '/';
    }
    if (m_folder.isOpen() && key == m_folderKey)
        return true;
    auto folder = makeFolders(parts, false, member);
    if (!folder)
        return false;
    if (auto status = m_folder.open(platform::fromPath(*folder)); !status.ok())
        return fail(memberError(status.code(), status.detail(), member));
    m_folderKey = std::move(key);
    return true;
}

void DiskWriter::merge(DiskWriter& other)
{
    m_links.insert(m_links.end(), other.m_links.begin(), other.m_links.end());
    m_folderTimes.insert(m_folderTimes.end(), other.m_folderTimes.begin(), other.m_folderTimes.end());
}

int DiskWriter::finish()
{
    int made = 0;
    for (const PendingLink& link : m_links) {
        auto folder = makeFolders(link.parts, false, link.member.path);
        if (!folder)
            continue;
        const fs::path path = *folder / platform::toPath(link.parts.back());
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (fs::is_directory(status)) {
            fail(memberError(base::ErrorCode::IoError, "a folder is in the way", link.member.path));
            continue;
        }
        if (fs::exists(status) || fs::is_symlink(status))
            fs::remove(path, ec);
        fs::create_symlink(platform::toPath(link.member.linkTarget), path, ec);
        if (ec)
            fail(memberError(base::ErrorCode::IoError, "cannot create link: " + ec.message(), link.member.path));
        else
            ++made;
    }
    // Last, as writing inside a folder changes its time.
    for (auto it = m_folderTimes.rbegin(); it != m_folderTimes.rend(); ++it)
        platform::setModificationTime(it->first, it->second);
    return made;
}

} // namespace archiver
