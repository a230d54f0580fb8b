#include "platform/text_codec.h"
#include "platform/win32/win32_text.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using platform::cp932ToUtf8;
using platform::utf8ToCp932;

TEST(Cp932Win32, RefusesCharactersWindowsWouldOtherwiseBestFit)
{
    // Without WC_NO_BEST_FIT_CHARS and the used-default check Windows writes "A" for "Ä", "n"
    // for "ñ" and "?" for the rest: a different folder name, silently.
    for (const char* text : {"Ä", "C:\\Müller", "ñ", "€", "😀"})
        EXPECT_EQ(utf8ToCp932(text), std::nullopt) << text;
}

TEST(Cp932Win32, NecAndIbmExtensionsAndHalfWidthKanaRoundTrip)
{
    const std::string text = "①㈱髙ｱｲｳ\\TmpRead";
    const std::optional<std::string> cp932 = utf8ToCp932(text);
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(cp932->substr(0, 4), "\x87\x40\x87\x8a");
    EXPECT_EQ(cp932ToUtf8(*cp932), text);
}

TEST(Cp932Win32, EmbeddedNullsSurvive)
{
    const std::string withNull("a\0b", 3);
    EXPECT_EQ(utf8ToCp932(withNull), withNull);
    EXPECT_EQ(cp932ToUtf8(withNull), withNull);
}

TEST(AnsiCodePageWin32, IsCp932OnJapaneseSystems)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "the system code page is " << GetACP() << ", not 932";
    EXPECT_EQ(platform::win32::utf8ToCodePage("つむぎ君", CP_ACP), utf8ToCp932("つむぎ君"));
    EXPECT_EQ(platform::win32::utf8ToCodePage("한글", CP_ACP), std::nullopt);
}

} // namespace
