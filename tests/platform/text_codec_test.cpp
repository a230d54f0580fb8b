#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, RoundTripsCharactersWhoseMappingsDifferBetweenShiftJisTables)
{
    // ソ and 表 end in 0x5C, the byte of a backslash; the other four are the characters that
    // CP932 maps differently from plain Shift-JIS.
    const std::string text = "ソ表～∥－￢";
    const auto cp932 = platform::utf8ToCp932(text);
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(*cp932, "\x83\x5c\x95\x5c\x81\x60\x81\x61\x81\x7c\x81\xca");
    EXPECT_EQ(platform::cp932ToUtf8(*cp932), text);
}

TEST(TextCodec, KeepsPathsWithJapaneseAndAsciiIntact)
{
    const std::string path = "C:\\データ\\backup 2004\\";
    const auto cp932 = platform::utf8ToCp932(path);
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(platform::cp932ToUtf8(*cp932), path);
}

TEST(TextCodec, RefusesCharactersThatCp932CannotHold)
{
    EXPECT_EQ(platform::utf8ToCp932("caf\xc3\xa9"), std::nullopt);  // é
    EXPECT_EQ(platform::utf8ToCp932("\xed\x95\x9c"), std::nullopt); // 한
}

TEST(TextCodec, RefusesBytesThatAreNotCp932)
{
    EXPECT_EQ(platform::cp932ToUtf8("\x83"), std::nullopt);     // lead byte cut off
    EXPECT_EQ(platform::cp932ToUtf8("\x81\x20"), std::nullopt); // bad trail byte
    EXPECT_EQ(platform::utf8ToCp932("\xff\xfe"), std::nullopt); // not UTF-8 at all
}

TEST(TextCodec, ConvertsEmptyAndLongTexts)
{
    EXPECT_EQ(platform::utf8ToCp932(""), std::string());
    std::string longText;
    for (int i = 0; i < 5000; ++i)
        longText += "表";
    const auto cp932 = platform::utf8ToCp932(longText);
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(cp932->size(), 10000u);
    EXPECT_EQ(platform::cp932ToUtf8(*cp932), longText);
}

} // namespace
