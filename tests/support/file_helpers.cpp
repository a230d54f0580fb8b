#include "support/file_helpers.h"

#include "platform/file_io.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <random>
#include <system_error>

namespace fernhold::test {
namespace fs = std::filesystem;

bool writeFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = platform::openFile(path, "wb");
    const bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return file != nullptr && std::fclose(file) == 0 && written;
}

std::string readFile(const std::string& path)
{
    std::string bytes;
    if (std::FILE* file = platform::openFile(path, "rb")) {
        char buffer[65536];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
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

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const std::string name = "fernhold-test-" + std::to_string(random()) + "-" + std::to_string(counter++);
        if (fs::create_directory(base / name, error))
            m_path = platform::fromPath(base / name);
    }
}

TempFolder::~TempFolder()
{
    // Tests take write permission away; removeAll gives it back so everything can go.
    if (!m_path.empty())
        removeAll(m_path);
}

std::string TempFolder::file(const std::string& name) const
{
    return platform::joinPath(m_path, name);
}

} // namespace fernhold::test
