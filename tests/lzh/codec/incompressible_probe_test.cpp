#include "codec_test_support.h"

#include <gtest/gtest.h>

namespace lzh::test {
namespace {

bool probe(const Bytes& data)
{
    return looksIncompressible(data.data(), data.size());
}

TEST(IncompressibleProbe, FlagsOnlyDataThatDoesNotCompress)
{
    EXPECT_TRUE(probe(randomBytes(100'000, 1)));
    // Our own compressed output is as dense as other compressors'.
    EXPECT_TRUE(probe(encodeAll(Method::Lh7, Effort::Fast, textLike(400'000, 2))));
    EXPECT_FALSE(probe(textLike(100'000, 3)));
    EXPECT_FALSE(probe(Bytes(100'000, 0)));
    // Uniform bytes that repeat within the window are still compressible.
    Bytes repeated = randomBytes(20'000, 4);
    for (int i = 0; i < 2; ++i)
        repeated.insert(repeated.end(), repeated.begin(), repeated.begin() + 20'000);
    EXPECT_FALSE(probe(repeated));
    EXPECT_LT(encodeAll(Method::Lh7, Effort::Fast, repeated).size(), repeated.size() / 2);
    // Too little to judge.
    EXPECT_FALSE(probe(randomBytes(100, 5)));
}

} // namespace
} // namespace lzh::test
