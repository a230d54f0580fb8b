#include "support/child_process.h"

#include <thread>

#ifdef _WIN32
#include "platform/paths.h"

#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

namespace fernhold::test {

#ifdef _WIN32

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    std::wstring commandLine = L"\"" + platform::toPath(program).wstring() + L"\"";
    for (const std::string& argument : arguments)
        commandLine += L" \"" + platform::toPath(argument).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return;
    CloseHandle(process.hThread);
    m_process = process.hProcess;
}

ChildProcess::~ChildProcess()
{
    if (m_process == nullptr)
        return;
    if (!m_status)
        TerminateProcess(m_process, 1);
    CloseHandle(m_process);
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds timeout)
{
    if (m_process == nullptr || m_status)
        return m_status;
    if (WaitForSingleObject(m_process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    m_status = static_cast<int>(code);
    return m_status;
}

#else

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
}

ChildProcess::~ChildProcess()
{
    if (m_pid < 0 || m_status)
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds timeout)
{
    if (m_pid < 0 || m_status)
        return m_status;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_status;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

#endif

int runToEnd(const std::string& program, const std::vector<std::string>& arguments)
{
    ChildProcess child(program, arguments);
    return child.waitFor(std::chrono::minutes(1)).value_or(-1);
}

} // namespace fernhold::test
