// These tests write the real Run value of the current user; the value found before each test is
// put back after it.

#include "platform/autostart.h"
#include "platform/text_codec.h"
#include "platform/win32/win32_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <vector>

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue&) const = default;
};

std::map<std::wstring, RawValue> runValues()
{
    std::map<std::wstring, RawValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        RawValue value;
        DWORD size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            break;
        value.data.resize(size);
        nameLength = 16384;
        RegEnumValueW(key, index, name, &nameLength, nullptr, &value.type, value.data.data(), &size);
        values[std::wstring(name, nameLength)] = value;
    }
    RegCloseKey(key);
    return values;
}

std::optional<RawValue> ltAppValue()
{
    const auto values = runValues();
    const auto found = values.find(L"LTApp");
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

// The value as the W call reads it: text without its terminating null.
std::optional<std::wstring> ltAppText()
{
    const std::optional<RawValue> value = ltAppValue();
    if (!value || value->type != REG_SZ || value->data.size() % sizeof(wchar_t) != 0)
        return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(value->data.data()), value->data.size() / sizeof(wchar_t));
    if (text.empty() || text.back() != L'\0')
        return std::nullopt;
    text.pop_back();
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
    void SetUp() override { m_saved = ltAppValue(); }
    void TearDown() override
    {
        platform::unregisterAutostart();
        if (!m_saved)
            return;
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExW(key, L"LTApp", 0, m_saved->type, m_saved->data.data(),
                           static_cast<DWORD>(m_saved->data.size()));
            RegCloseKey(key);
        }
    }

private:
    std::optional<RawValue> m_saved;
};

TEST_F(AutostartRegistry, SettingUpTwiceLeavesOneValueWithTheSecondPathAndRemovingTouchesNothingElse)
{
    const auto before = runValues();
    platform::registerAutostart("C:\\Tools\\first");
    platform::registerAutostart("C:\\Program Files\\second");
    EXPECT_EQ(ltAppText(), L"C:\\Program Files\\second\\Fernhold.exe");
    EXPECT_EQ(ltAppAnsiBytes(), std::string("C:\\Program Files\\second\\Fernhold.exe") + '\0');
    auto others = before;
    others.erase(L"LTApp");
    platform::unregisterAutostart();
    EXPECT_EQ(runValues(), others);
    platform::unregisterAutostart(); // nothing left to remove is no failure
    EXPECT_EQ(runValues(), others);
}

TEST_F(AutostartRegistry, JapaneseProgramFolderIsStoredWholeAndOneNoCodePageHoldsAsUnicode)
{
    // Hangul and an emoji have no form in CP932 or in any Western code page.
    platform::registerAutostart("C:\\사용자\\😀\\つむぎ君");
    EXPECT_EQ(ltAppText(), platform::win32::toWide("C:\\사용자\\😀\\つむぎ君\\Fernhold.exe"));

    platform::registerAutostart("C:\\Users\\太郎\\デスクトップ\\つむぎ君");
    EXPECT_EQ(ltAppText(), L"C:\\Users\\太郎\\デスクトップ\\つむぎ君\\Fernhold.exe");
    if (GetACP() != 932)
        GTEST_SKIP() << "the stored bytes are CP932 only where the system code page is 932, not " << GetACP();
    const std::optional<std::string> cp932 =
        platform::utf8ToCp932("C:\\Users\\太郎\\デスクトップ\\つむぎ君\\Fernhold.exe");
    ASSERT_TRUE(cp932.has_value());
    EXPECT_EQ(ltAppAnsiBytes(), *cp932 + '\0');
}

} // namespace
