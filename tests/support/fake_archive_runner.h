#pragma once

#include "core/common/archive_runner.h"

#include <functional>
#include <string>
#include <vector>

namespace fernhold::test {

// The typed command a command line parses to; fails the test when it does not parse.
inline core::archive::UnlhaCommand commandOf(const std::string& line)
{
    return core::archive::parseUnlhaCommand(line, nullptr).value();
}

// An archiver result whose archive failed with code, or whose n members (files) failed.
inline core::archive::ArchiveResult archiveFailure(base::ErrorCode code, const std::string& detail = {})
{
    core::archive::ArchiveResult result;
    result.archiveStatus = base::Status::error(code, detail);
    return result;
}
inline core::archive::ArchiveResult memberFailures(int count)
{
    core::archive::ArchiveResult result;
    result.memberFailures.assign(count, base::Status::error(base::ErrorCode::IoError, "unreadable"));
    return result;
}

// Records each command and answers with a set result; runs nothing.
class FakeArchiveRunner final : public core::ArchiveRunner {
public:
    struct Call {
        core::archive::UnlhaCommand command;
        core::archive::ArchiveOptions options;
    };

    core::archive::ArchiveResult run(const core::archive::UnlhaCommand& command,
                                     const core::archive::ArchiveOptions& options) override
    {
        m_calls.push_back({command, options});
        if (m_onRun)
            m_onRun(command);
        return m_result;
    }

    void setResult(core::archive::ArchiveResult result) { m_result = std::move(result); }
    // Runs during each call, e.g. to check what the window shows while an archive command runs.
    void setOnRun(std::function<void(const core::archive::UnlhaCommand&)> onRun) { m_onRun = std::move(onRun); }

    const std::vector<Call>& calls() const { return m_calls; }
    std::vector<core::archive::UnlhaCommand> commands() const
    {
        std::vector<core::archive::UnlhaCommand> commands;
        for (const Call& call : m_calls)
            commands.push_back(call.command);
        return commands;
    }

private:
    std::vector<Call> m_calls;
    core::archive::ArchiveResult m_result;
    std::function<void(const core::archive::UnlhaCommand&)> m_onRun;
};

} // namespace fernhold::test
