#pragma once
// A program started by a test: waited for with a deadline, and killed if it outlives the test.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace fernhold::test {

class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status once the program has ended; nullopt while it still runs after timeout, or
    // when it could not be started.
    std::optional<int> waitFor(std::chrono::milliseconds timeout);

private:
#ifdef _WIN32
    void* m_process = nullptr;
#else
    int m_pid = -1;
#endif
    std::optional<int> m_status;
};

// Runs program to its end (at most a minute) and gives its exit status, or -1.
int runToEnd(const std::string& program, const std::vector<std::string>& arguments);

} // namespace fernhold::test
