#include "support/file_helpers.h"

#include "platform/file_io.h"
#include "platform/folder_listing.h"
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

namespace {

void walkInto(const std::string& folder, const std::string& relative, std::map<std::string, std::string>& files)
{
    if (!relative.empty())
        files[relative] = "";
    const auto entries = platform::listFolder(folder);
    if (!entries.ok())
        return;
    for (const platform::FolderEntry& entry : *entries) {
        const std::string path = platform::joinPath(folder, entry.name);
        std::error_code linkError;
        if (entry.kind == platform::EntryKind::Link)
            files[relative + entry.name] =
                "link:" + platform::fromPath(fs::read_symlink(platform::toPath(path), linkError));
        else if (entry.kind == platform::EntryKind::File)
            files[relative + entry.name] = readFile(path);
        else if (entry.kind == platform::EntryKind::Folder)
            walkInto(path, relative + entry.name + "/", files);
    }
}

} // namespace

std::map<std::string, std::string> treeOf(const std::string& folder)
{
    std::map<std::string, std::string> files;
    walkInto(folder, "", files);
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
