// Archives written by the classic Unix archiver (beside the repository) and by other LHA-family
// programs (tests/data/lzh/<producer>/) extract to exactly the trees their manifests list.

#include "archiver/extractor.h"
#include "lzh/archive/archive_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

namespace archiver {
namespace {
namespace test = lzh::test;
namespace fs = std::filesystem;

// The manifest's form, one line per entry: "F <sha256> <size> <path>", "D - - <path>/",
// "L - - <path> -> <target>"; compared sorted.
std::vector<std::string> manifestOf(const fs::path& root)
{
    std::vector<std::string> lines;
    for (const auto& [path, content] : test::treeOf(root)) {
        if (path.ends_with('/'))
            lines.push_back("D - - " + path);
        else if (content.starts_with("link:"))
            lines.push_back("L - - " + path + " -> " + content.substr(5));
        else
            lines.push_back("F " + test::sha256Hex(content) + " " + std::to_string(content.size()) + " " + path);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> expectedManifest(const fs::path& file)
{
    std::istringstream in(test::readFile(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

void expectExtractsTo(const fs::path& archive, const fs::path& manifest, ArchiveStart start)
{
    SCOPED_TRACE(archive.filename().string());
    test::TempFolder out;
    RunHooks hooks;
    hooks.onMemberError = [](const base::Status& s) { ADD_FAILURE() << s.path() << ": " << s.detail(); };
    const RunSummary summary = extractArchive(archive.string(), out.str(), hooks, start);
    EXPECT_TRUE(summary.archiveStatus.ok()) << summary.archiveStatus.detail();
    EXPECT_EQ(manifestOf(out.path()), expectedManifest(manifest));
}

// Other producers' files (NAME.sha256 beside NAME) as the unlha tool reads a named file; the
// classic archiver's samples (NAME.sha256 beside NAME.lzh) as the program reads them.
TEST(LzhSamples, EverySampleExtractsToItsManifest)
{
    int others = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(FERNHOLD_TEST_DATA_DIR) / "lzh")) {
        const fs::path manifest = fs::path(entry.path()) += ".sha256";
        if (entry.is_regular_file() && fs::is_regular_file(manifest)) {
            expectExtractsTo(entry.path(), manifest, ArchiveStart::AfterProgram);
            ++others;
        }
    }
    EXPECT_GE(others, 8);
    const fs::path folder = FERNHOLD_LZH_SAMPLES_DIR;
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no samples at " << folder;
    int classic = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".lzh")
            continue;
        ++classic;
#ifdef _WIN32
        // Links need a privilege on Windows, and mingw's runtime cannot make them at all.
        if (entry.path().filename() == "lha-l2-symlinks.lzh")
            continue;
#endif
        expectExtractsTo(entry.path(), fs::path(entry.path()).replace_extension(".sha256"), ArchiveStart::AtFirstByte);
    }
    EXPECT_GE(classic, 6);
}

} // namespace
} // namespace archiver
