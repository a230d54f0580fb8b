#include "platform/text_codec.h"
#include "platform/win32/win32_text.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using platform::cp932ToUtf8;
using platform::utf8ToCp932;

TEST(Cp932Win32, JapaneseTextGoesToTheBytesWindowsWritesAndBack)
{
    EXPECT_EQ(utf8ToCp932("つむぎ君"), std::string("\x82\xc2\x82\xde\x82\xac\x8c\x4e"));
    // 0x5C is the backslash in CP932 even though Japanese fonts draw it as a yen sign, and
    // "ソ" has 0x5C as its trail byte: both must survive the path separator's byte.
    EXPECT_EQ(utf8ToCp932("C:\\ソフト"), std::string("C:\\\x83\x5c\x83\x74\x83\x67"));
    // Wave dash as Windows writes it, NEC and IBM extension characters, half-width katakana.
    const std::string mixed = "～①㈱髙ｱｲｳ表示\\TmpRead";
    const std::optional<std::string> cp932 = utf8ToCp932(mixed);
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(cp932ToUtf8(*cp932), mixed);
}

TEST(Cp932Win32, RefusesCharactersWithoutAnExactForm)
{
    // Without WC_NO_BEST_FIT_CHARS Windows would write "A" for "Ä" and "?" for the others.
    for (const char* text : {"Ä", "C:\\Müller", "한글", "€", "😀", "ñ"})
        EXPECT_EQ(utf8ToCp932(text), std::nullopt) << text;
}

TEST(Cp932Win32, RefusesBytesThatAreNotCp932)
{
    EXPECT_EQ(cp932ToUtf8("\x82"), std::nullopt);         // lead byte cut off at the end
    EXPECT_EQ(cp932ToUtf8("ab\x82\x20"), std::nullopt);   // lead byte with an impossible trail
    EXPECT_EQ(utf8ToCp932("\xe3\x81"), std::nullopt);     // UTF-8 cut off
    EXPECT_EQ(utf8ToCp932("\xff\xfe"), std::nullopt);     // not UTF-8 at all
}

TEST(Cp932Win32, EmptyTextAndEmbeddedNullsSurvive)
{
    EXPECT_EQ(utf8ToCp932(""), std::string());
    EXPECT_EQ(cp932ToUtf8(""), std::string());
    const std::string withNull("a\0b", 3);
    EXPECT_EQ(utf8ToCp932(withNull), withNull);
}

TEST(AnsiCodePageWin32, FollowsTheSystemCodePage)
{
    // On Japanese Windows the ANSI code page is CP932 itself.
    if (GetACP() != 932)
        GTEST_SKIP() << "the system code page is " << GetACP() << ", not 932";
    EXPECT_EQ(platform::win32::utf8ToCodePage("つむぎ君", CP_ACP), utf8ToCp932("つむぎ君"));
    EXPECT_EQ(platform::win32::utf8ToCodePage("한글", CP_ACP), std::nullopt);
}

} // namespace
