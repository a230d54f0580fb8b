// Logon start through the current user's Run key, with the ANSI registry calls the program has
// always used, so the value reads the same to anything that looks for it.

#include "platform/autostart.h"

#include "platform/paths.h"
#include "platform/win32/win32_text.h"

#include <windows.h>

namespace platform {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kValueName = "LTApp";
constexpr const wchar_t* kWideValueName = L"LTApp";
constexpr REGSAM kCreateAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY; // 6
constexpr REGSAM kOpenAccess = KEY_SET_VALUE;                        // 2

// The A call reads its bytes in the system's ANSI code page (932 on Japanese Windows). A folder
// that code page cannot hold is written through the W call instead, whole, rather than with
// characters replaced by "?", which would name a program that does not exist.
void setRunValue(HKEY key, const std::string& command)
{
    if (const std::optional<std::string> ansi = win32::utf8ToCodePage(command, CP_ACP)) {
        RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi->c_str()),
                       static_cast<DWORD>(ansi->size() + 1));
        return;
    }
    const std::wstring wide = win32::toWide(command);
    RegSetValueExW(key, kWideValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

} // namespace

void registerAutostart(const std::string& programFolder)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, kCreateAccess, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
        return;
    setRunValue(key, joinPath(programFolder, "Fernhold.exe"));
    RegCloseKey(key);
}

void unregisterAutostart()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, kOpenAccess, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, kValueName);
    RegCloseKey(key);
}

} // namespace platform
