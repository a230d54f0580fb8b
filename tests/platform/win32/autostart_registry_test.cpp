// These tests write the real Run value of the current user, so they run only where it is not set.

#include "platform/autostart.h"
#include "platform/text_codec.h"
#include "platform/win32/win32_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value as the W call reads it.
std::wstring runText(const wchar_t* name)
{
    wchar_t text[4096];
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"(none)";
    return text;
}

// The bytes the A call reads back, terminating null included, as the program wrote them.
std::optional<std::string> ltAppAnsiBytes()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return std::nullopt;
    char data[4096];
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, "LTApp", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::string(data, size);
}

class AutostartRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (runText(L"LTApp") != L"(none)")
            GTEST_SKIP() << "this user starts the program at logon; the test would change that";
    }
    void TearDown() override { platform::unregisterAutostart(); }
};

TEST_F(AutostartRegistry, SettingUpTwiceLeavesOneValueWithTheSecondPathAndRemovingTouchesNothingElse)
{
    const wchar_t* neighbour = L"FernholdTestNeighbour";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, neighbour, REG_SZ, L"kept", sizeof L"kept"), ERROR_SUCCESS);
    platform::registerAutostart("C:\\Tools\\first");
    platform::registerAutostart("C:\\Program Files\\second");
    EXPECT_EQ(ltAppAnsiBytes(), std::string("C:\\Program Files\\second\\Fernhold.exe") + '\0');
    platform::unregisterAutostart();
    EXPECT_EQ(runText(L"LTApp"), L"(none)");
    platform::unregisterAutostart(); // nothing left to remove is no failure
    EXPECT_EQ(runText(neighbour), L"kept");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, neighbour);
}

TEST_F(AutostartRegistry, JapaneseProgramFolderIsStoredWholeAndOneNoCodePageHoldsAsUnicode)
{
    // Hangul and an emoji have no form in CP932 or in any Western code page.
    platform::registerAutostart("C:\\사용자\\😀\\つむぎ君");
    EXPECT_EQ(runText(L"LTApp"), platform::win32::toWide("C:\\사용자\\😀\\つむぎ君\\Fernhold.exe"));

    platform::registerAutostart("C:\\Users\\太郎\\デスクトップ\\つむぎ君");
    EXPECT_EQ(runText(L"LTApp"), L"C:\\Users\\太郎\\デスクトップ\\つむぎ君\\Fernhold.exe");
    if (GetACP() != 932)
        GTEST_SKIP() << "the stored bytes are CP932 only where the system code page is 932, not " << GetACP();
    const std::optional<std::string> cp932 =
        platform::utf8ToCp932("C:\\Users\\太郎\\デスクトップ\\つむぎ君\\Fernhold.exe");
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(ltAppAnsiBytes(), *cp932 + '\0');
}

} // namespace
