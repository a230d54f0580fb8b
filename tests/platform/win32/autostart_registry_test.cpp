// This test writes the real Run value of the current user, so it runs only where that is not set.

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

// The A call stores the bytes of the system code page, terminating null included; a folder that
// code page cannot hold (Hangul and an emoji fit none) is stored whole through the W call.
TEST(AutostartRegistry, StoresTheLastFolderWholeAndRemovesOnlyItsOwnValue)
{
    if (runText(L"LTApp") != L"(none)")
        GTEST_SKIP() << "this user starts the program at logon; the test would change that";
    const wchar_t* neighbour = L"FernholdTestNeighbour";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, neighbour, REG_SZ, L"kept", sizeof L"kept"), ERROR_SUCCESS);
    platform::registerAutostart("C:\\사용자\\😀\\つむぎ君");
    EXPECT_EQ(runText(L"LTApp"), platform::win32::toWide("C:\\사용자\\😀\\つむぎ君\\Fernhold.exe"));
    const std::string japanese = "C:\\Users\\太郎\\デスクトップ\\つむぎ君\\Fernhold.exe";
    platform::registerAutostart("C:\\Users\\太郎\\デスクトップ\\つむぎ君");
    EXPECT_EQ(runText(L"LTApp"), platform::win32::toWide(japanese));
    if (GetACP() == 932) {
        EXPECT_EQ(ltAppAnsiBytes(), platform::utf8ToCp932(japanese).value_or("?") + '\0');
    }
    platform::registerAutostart("C:\\Program Files\\second");
    EXPECT_EQ(ltAppAnsiBytes(), std::string("C:\\Program Files\\second\\Fernhold.exe") + '\0');

    platform::unregisterAutostart();
    EXPECT_EQ(runText(L"LTApp"), L"(none)");
    platform::unregisterAutostart(); // nothing left to remove is no failure
    EXPECT_EQ(runText(neighbour), L"kept");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, neighbour);
}

} // namespace
