#include "core/archive/unlha.h"

#include "core/archive/command_runner.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace core::archive {
namespace {

// Copies message into output, cut at a character boundary so no UTF-8 sequence is split.
void writeMessage(const std::string& message, char* output, int outputSize)
{
    if (!output || outputSize <= 0)
        return;
    std::size_t length = std::min(message.size(), static_cast<std::size_t>(outputSize) - 1);
    if (length < message.size()) {
        while (length > 0 && (static_cast<unsigned char>(message[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(output, message.data(), length);
    output[length] = '\0';
}

std::string describe(const base::Status& status)
{
    return status.path().empty() ? status.detail() : status.path() + ": " + status.detail();
}

lzh::RunHooks hooksFor(const UnlhaOptions* options, base::Status& firstMemberError)
{
    lzh::RunHooks hooks;
    hooks.onMemberError = [&firstMemberError](const base::Status& status) {
        if (firstMemberError.ok())
            firstMemberError = status;
    };
    if (options) {
        const UnlhaProgress progress = options->progress;
        hooks.progress = [progress](std::uint64_t done, std::uint64_t total, const std::string& member) {
            if (progress.cancel && progress.cancel->load())
                return false;
            if (progress.onProgress)
                progress.onProgress(done, total, member);
            return true;
        };
    }
    return hooks;
}

std::string messageFor(int code, const lzh::RunSummary& summary, const base::Status& firstMemberError)
{
    if (code == kUnlhaOk)
        return "OK: " + std::to_string(summary.members) + " members";
    if (code == kUnlhaCancelled)
        return "cancelled";
    std::string text = !summary.archiveStatus.ok() ? "error: " + describe(summary.archiveStatus) : std::string("error");
    if (summary.failedMembers > 0)
        text += " (" + std::to_string(summary.failedMembers) + " failed, first: " + describe(firstMemberError) + ")";
    return text;
}

} // namespace

int Unlha(void* /*window*/, const char* command, char* output, int outputSize, const UnlhaOptions* options)
{
    std::string error;
    auto parsed = parseUnlhaCommand(command ? command : "", &error);
    if (!parsed) {
        writeMessage("bad command: " + error, output, outputSize);
        return kUnlhaBadCommand;
    }
    base::Status firstMemberError;
    const lzh::RunHooks hooks = hooksFor(options, firstMemberError);
    const lzh::RunSummary summary =
        runUnlhaCommand(*parsed, hooks, options ? options->excludedPaths : std::vector<std::string>{});
    if (options && options->skippedFiles && parsed->command == 'a')
        *options->skippedFiles = summary.failedMembers;
    const int code = unlhaResultCode(parsed->command, summary);
    writeMessage(messageFor(code, summary, firstMemberError), output, outputSize);
    return code;
}

} // namespace core::archive
