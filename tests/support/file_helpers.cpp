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
    std::error_code error;
    for (auto it = fs::directory_iterator(platform::toPath(path), error); !error && it != fs::directory_iterator();
         it.increment(error))
        names.push_back(platform::fromPath(it->path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> listFoldersRecursively(const std::string& path)
{
    std::vector<std::string> folders;
    std::error_code error;
    const fs::path root = platform::toPath(path);
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored)) {
            const std::u8string relative = it->path().lexically_relative(root).generic_u8string();
            folders.emplace_back(relative.begin(), relative.end());
        }
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

} // namespace fernhold::test
