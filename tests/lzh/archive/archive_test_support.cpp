#include "archive_test_support.h"

#include "lzh/sha256.h"
#include "platform/paths.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace lzh::test {
namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    // A random name: under Wine process ids repeat from run to run, and a folder an earlier run
    // could not delete would be in the way.
    static std::atomic<int> counter{0};
    std::random_device random;
    do {
        m_path = fs::temp_directory_path() /
                 ("fernhold-archive-" + std::to_string(random()) + "-" + std::to_string(counter++));
    } while (!fs::create_directories(m_path));
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempFolder::str() const
{
    return platform::fromPath(m_path);
}

std::string TempFolder::operator/(const std::string& name) const
{
    return platform::fromPath(m_path / u8path(name));
}

fs::path u8path(const std::string& utf8)
{
    return platform::toPath(utf8);
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::map<std::string, std::string> treeOf(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
#ifdef _WIN32
        std::string rel = platform::fromPath(it->path().lexically_relative(root));
        for (char& c : rel)
            c = c == '\\' ? '/' : c;
#else
        // The bytes as they are: some readers leave names that are not UTF-8.
        const std::string rel = it->path().lexically_relative(root).string();
#endif
        if (it->is_symlink())
            tree[rel + "@"] = platform::fromPath(fs::read_symlink(it->path()));
        else if (it->is_directory())
            tree[rel + "/"] = "";
        else
            tree[rel] = readFile(it->path());
    }
    return tree;
}

std::string sha256Hex(const std::string& data)
{
    std::string hex;
    for (const std::uint8_t b : lzh::sha256(data.data(), data.size()))
        hex += "0123456789abcdef"[b >> 4] + std::string(1, "0123456789abcdef"[b & 0xF]);
    return hex;
}

std::string randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace lzh::test
