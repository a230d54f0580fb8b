// Feeds every file of one fuzz target's corpus to the target's entry point. A failed property
// aborts the run with the reason printed; the file being replayed is printed first.

#include <gtest/gtest.h>

#include "platform/paths.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::string> corpusFiles()
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(platform::toPath(FERNHOLD_FUZZ_CORPUS_DIR), error)) {
        if (entry.is_regular_file())
            files.push_back(platform::fromPath(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzCorpusReplay, EveryCorpusFileRunsWithoutFault)
{
    const std::vector<std::string> files = corpusFiles();
    ASSERT_FALSE(files.empty()) << "no corpus in " << FERNHOLD_FUZZ_CORPUS_DIR;
    for (const std::string& file : files) {
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        std::ifstream in(platform::toPath(file), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0) << file;
    }
}

} // namespace
