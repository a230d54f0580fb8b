#include "support/temp_folder.h"

#include "platform/paths.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

namespace fernhold::test {
namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            base / ("fernhold-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
        if (fs::create_directory(candidate, error)) {
            m_path = platform::fromPath(candidate);
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    if (m_path.empty())
        return;
    std::error_code error;
    const fs::path root = platform::toPath(m_path);
    // Tests take write permission away; give it back so everything can go.
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root, error);
}

std::string TempFolder::file(const std::string& name) const
{
    return platform::joinPath(m_path, name);
}

} // namespace fernhold::test
