// The lock is a named mutex, which the system releases (as abandoned) with the process that owns
// it; requests are a named auto-reset event the holder polls. Both names derive from the program
// folder, case folded as Windows compares paths, and live in the global namespace so that another
// session's start in the same folder is kept out as well.
#include "platform/instance_lock.h"

#include "platform/win32/win32_text.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include <windows.h>

namespace platform {

namespace {

constexpr int kRequestTries = 20;
constexpr auto kRequestPause = std::chrono::milliseconds(50);

// Kernel object names may not hold a backslash and are limited in length, so the folder is
// hashed (FNV-1a over its upper-cased UTF-16).
std::wstring objectName(const std::string& folder, const wchar_t* purpose)
{
    std::wstring wide = win32::toWide(folder);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t unit : wide) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 1099511628211ull;
    }
    wchar_t hex[17];
    std::swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(hash));
    return std::wstring(L"Global\\Fernhold-") + hex + L"-" + purpose;
}

} // namespace

struct InstanceLock::Handles {
    HANDLE lock = nullptr;
    HANDLE requests = nullptr;
};

InstanceLock::InstanceLock(const std::string& folder) : m_handles(std::make_unique<Handles>()), m_folder(folder)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, objectName(folder, L"lock").c_str());
    if (mutex == nullptr) {
        // Another user's program holds it and our rights do not reach it.
        m_heldElsewhere = GetLastError() == ERROR_ACCESS_DENIED;
        return;
    }
    const DWORD taken = WaitForSingleObject(mutex, 0);
    if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) {
        m_heldElsewhere = taken == WAIT_TIMEOUT;
        CloseHandle(mutex);
        return;
    }
    m_handles->lock = mutex;
    m_handles->requests = CreateEventW(nullptr, FALSE, FALSE, objectName(folder, L"show").c_str());
}

InstanceLock::~InstanceLock()
{
    if (m_handles->requests != nullptr)
        CloseHandle(m_handles->requests);
    if (m_handles->lock != nullptr) {
        ReleaseMutex(m_handles->lock);
        CloseHandle(m_handles->lock);
    }
}

bool InstanceLock::requestShow() const
{
    // The person just started us, so we may hand the foreground on; the holder could not take it.
    AllowSetForegroundWindow(ASFW_ANY);
    const std::wstring name = objectName(m_folder, L"show");
    for (int attempt = 0; attempt < kRequestTries; ++attempt) {
        if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())) {
            const bool sent = SetEvent(event) != 0;
            CloseHandle(event);
            return sent;
        }
        // The holder may have the lock but not yet the event.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        std::this_thread::sleep_for(kRequestPause);
    }
    return false;
}

bool InstanceLock::takeShowRequest()
{
    return m_handles->requests != nullptr && WaitForSingleObject(m_handles->requests, 0) == WAIT_OBJECT_0;
}

} // namespace platform
