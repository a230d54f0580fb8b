#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, RoundTripsJapanesePathsAndTheCharactersWhoseMappingsDifferBetweenShiftJisTables)
{
    // ソ and 表 end in 0x5C, the byte of a backslash; the next four are the characters that
    // CP932 maps differently from plain Shift-JIS; ① and ㈱ are NEC's extensions.
    const auto cp932 = platform::utf8ToCp932("ソ表～∥－￢①㈱");
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(*cp932, "\x83\x5c\x95\x5c\x81\x60\x81\x61\x81\x7c\x81\xca\x87\x40\x87\x8a");
    std::string longText = "C:\\データ\\backup 2004\\";
    for (int i = 0; i < 5000; ++i)
        longText += "表";
    for (const std::string& text : {std::string("ソ表～∥－￢"), std::string("①㈱髙ｱｲｳ\\TmpRead"), std::string(),
                                    std::string("a\0b", 3), longText})
        EXPECT_EQ(platform::cp932ToUtf8(platform::utf8ToCp932(text).value_or("?")), text);
}

// Look-alikes (characters that some CP932 tables take to the bytes of another, 〜 to those of ～)
// and best fits (Windows' "A" for "Ä") do not fit, or a name would come back as another name; nor
// do characters CP932 lacks, nor text that is not UTF-8 or not CP932.
TEST(TextCodec, RefusesWhatTheOtherSideCannotHoldOrWouldReadBackAsALookAlike)
{
    for (const char* text :
         {"〜", "−", "—", "‖", "¢", "£", "¬", "4月〜6月.txt", "C:\\Müller", "ñ", "€", "😀", "한", "\xff\xfe"})
        EXPECT_EQ(platform::utf8ToCp932(text), std::nullopt) << text;
    EXPECT_EQ(platform::cp932ToUtf8("\x83"), std::nullopt);     // lead byte cut off
    EXPECT_EQ(platform::cp932ToUtf8("\x81\x20"), std::nullopt); // bad trail byte
    // Bytes from other tools read as Windows reads them.
    EXPECT_EQ(platform::cp932ToUtf8("\x81\x60\x81\x7c\x81\x5c\x81\x61\x81\x91\x81\x92\x81\xca"), "～－―∥￠￡￢");
}

} // namespace
