// Feeds every file of one fuzz target's corpus to the target's entry point. A failed property
// aborts the run with the reason printed; the file being replayed is printed first.

#include <gtest/gtest.h>

#include "platform/paths.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(FuzzCorpusReplay, EveryCorpusFileRunsWithoutFault)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(platform::toPath(FERNHOLD_FUZZ_CORPUS_DIR))) {
        const std::string file = platform::fromPath(entry.path());
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0) << file;
        ++files;
    }
    EXPECT_GT(files, 0) << "no corpus in " << FERNHOLD_FUZZ_CORPUS_DIR;
}

} // namespace
