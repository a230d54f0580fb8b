#include "support/temp_folder.h"

#include "platform/paths.h"
#include "support/file_helpers.h"

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
    // Tests take write permission away; removeAll gives it back so everything can go.
    removeAll(m_path);
}

std::string TempFolder::file(const std::string& name) const
{
    return platform::joinPath(m_path, name);
}

} // namespace fernhold::test
