// Streams whose bytes were made by other LHA programs.

#include "codec_test_support.h"

#include <gtest/gtest.h>

namespace lzh::test {
namespace {

// 1000 x 'a' as -lh5-, from a classic Unix archiver.
const Bytes kThousandA = {0x00, 0x05, 0x28, 0x04, 0x4B, 0xFC, 0x26, 0xEB, 0x76, 0x02, 0x40, 0x10, 0xC0};

TEST(CodecReference, DecodesTheThousandAStream)
{
    const Decoded decoded = decodeAll(Method::Lh5, kThousandA, 1000);
    ASSERT_TRUE(decoded.status.isOk()) << decoded.status.detail();
    EXPECT_TRUE(decoded.data == Bytes(1000, 'a'));
}

} // namespace
} // namespace lzh::test
