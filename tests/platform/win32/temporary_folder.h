#pragma once
// A fresh folder under the user's temporary folder, removed with everything in it at the end.

#include "platform/paths.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <windows.h>

namespace platform::test {

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        static std::atomic<unsigned> counter{0};
        std::error_code ignored;
        const std::string base = fromPath(std::filesystem::temp_directory_path(ignored));
        const std::string stem = "fernhold-" + std::to_string(GetCurrentProcessId()) + "-";
        // Wine hands out the same few process ids run after run; a folder left by an aborted run
        // is skipped, never shared.
        do
            m_path = joinPath(base, stem + std::to_string(counter++));
        while (!std::filesystem::create_directory(toPath(m_path), ignored) && counter < 10000);
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(toPath(m_path), ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace platform::test
