// Feeds every file of one fuzz target's corpus to the target's entry point. A failed property
// aborts the run with the reason printed; the file being replayed is printed first.

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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

std::string readFile(const std::string& path)
{
    std::string bytes;
    std::FILE* file = platform::openFile(path, "rb");
    if (!file)
        return bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

TEST(FuzzCorpusReplay, EveryCorpusFileRunsWithoutFault)
{
    const std::vector<std::string> files = corpusFiles();
    ASSERT_FALSE(files.empty()) << "no corpus in " << FERNHOLD_FUZZ_CORPUS_DIR;
    for (const std::string& file : files) {
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        const std::string bytes = readFile(file);
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0) << file;
    }
}

} // namespace
