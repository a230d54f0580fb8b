#include "support/file_helpers.h"

#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fernhold::test {
namespace fs = std::filesystem;

bool writeFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = platform::openFile(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string readFile(const std::string& path)
{
    std::FILE* file = platform::openFile(path, "rb");
    if (file == nullptr)
        return {};
    std::string bytes;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

bool isFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(platform::toPath(path), error);
}

bool isFile(const std::string& path)
{
    std::error_code error;
    return fs::is_regular_file(platform::toPath(path), error);
}

bool makeFolder(const std::string& path)
{
    std::error_code error;
    return fs::create_directory(platform::toPath(path), error);
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    if (const auto entries = platform::listFolder(path); entries.ok())
        for (const platform::FolderEntry& entry : *entries)
            names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> listFoldersRecursively(const std::string& path)
{
    std::vector<std::string> folders;
    for (const TreeEntry& found : walkTree(path))
        if (found.entry.kind == platform::EntryKind::Folder)
            folders.push_back(found.relative);
    std::sort(folders.begin(), folders.end());
    return folders;
}

namespace {

void walkInto(const std::string& folder, const std::string& relative, std::vector<TreeEntry>& found)
{
    const auto entries = platform::listFolder(folder);
    if (!entries.ok())
        return;
    for (const platform::FolderEntry& entry : *entries) {
        TreeEntry item{relative + entry.name, platform::joinPath(folder, entry.name), entry};
        found.push_back(item);
        if (entry.kind == platform::EntryKind::Folder)
            walkInto(item.path, item.relative + "/", found);
    }
}

} // namespace

std::vector<TreeEntry> walkTree(const std::string& path)
{
    std::vector<TreeEntry> found;
    walkInto(path, "", found);
    return found;
}

std::map<std::string, std::string> treeOf(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const TreeEntry& found : walkTree(folder)) {
        std::error_code linkError;
        if (found.entry.kind == platform::EntryKind::Link)
            files[found.relative] =
                "link:" + platform::fromPath(fs::read_symlink(platform::toPath(found.path), linkError));
        else if (found.entry.kind == platform::EntryKind::File)
            files[found.relative] = readFile(found.path);
        else if (found.entry.kind == platform::EntryKind::Folder)
            files[found.relative + "/"] = "";
    }
    return files;
}

std::string mixedBytes(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        // Every other run of 64 bytes repeats a short phrase; the rest is noise.
        bytes[i] = (i / 64) % 2 == 0 ? static_cast<char>("fernhold-"[i % 9]) : static_cast<char>(state >> 16);
    }
    return bytes;
}

bool removeAll(const std::string& path)
{
    std::error_code error;
    const fs::path root = platform::toPath(path);
    const fs::file_status status = fs::symlink_status(root, error);
    if (!fs::exists(status))
        return true;
    if (fs::is_directory(status)) {
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
        if (const auto entries = platform::listFolder(path); entries.ok())
            for (const platform::FolderEntry& entry : *entries)
                removeAll(platform::joinPath(path, entry.name));
    }
    return fs::remove(root, error) && !error;
}

} // namespace fernhold::test
