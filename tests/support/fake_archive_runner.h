#pragma once

#include "core/archive/archive_runner.h"

#include <functional>
#include <string>
#include <vector>

namespace fernhold::test {

// Records each command and answers with a set code and message; runs nothing.
class FakeArchiveRunner final : public core::ArchiveRunner {
public:
    struct Call {
        std::string command;
        std::vector<std::string> excludedPaths;
    };

    int run(const std::string& command, std::string* message, const core::archive::UnlhaOptions& options) override
    {
        m_calls.push_back({command, options.excludedPaths});
        if (message != nullptr)
            *message = m_message;
        if (options.skippedFiles != nullptr)
            *options.skippedFiles = m_skippedFiles;
        if (m_onRun)
            m_onRun(command);
        return m_code;
    }

    void setResult(int code, std::string message = {}, int skippedFiles = 0)
    {
        m_code = code;
        m_message = std::move(message);
        m_skippedFiles = skippedFiles;
    }
    // Runs during each call, e.g. to check what the window shows while an archive command runs.
    void setOnRun(std::function<void(const std::string&)> onRun) { m_onRun = std::move(onRun); }

    const std::vector<Call>& calls() const { return m_calls; }
    std::vector<std::string> commands() const
    {
        std::vector<std::string> commands;
        for (const Call& call : m_calls)
            commands.push_back(call.command);
        return commands;
    }

private:
    std::vector<Call> m_calls;
    int m_code = 0;
    std::string m_message;
    int m_skippedFiles = 0;
    std::function<void(const std::string&)> m_onRun;
};

} // namespace fernhold::test
