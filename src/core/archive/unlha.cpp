#include "core/archive/unlha.h"

#include <algorithm>
#include <cstring>

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

} // namespace

int unlhaResultCode(char command, const ArchiveResult& result)
{
    if (result.cancelled)
        return kUnlhaCancelled;
    if (result.writeFailed)
        return kUnlhaWriteFailed;
    if (!result.archiveStatus.ok()) {
        switch (result.archiveStatus.code()) {
        case base::ErrorCode::Corrupt:
            return kUnlhaArchiveCorrupt;
        case base::ErrorCode::NotFound:
            return command == 'a' ? kUnlhaSourceMissing : kUnlhaArchiveUnreadable;
        // For an add, the existing archive could not be opened to be added onto.
        case base::ErrorCode::AccessDenied:
            return kUnlhaArchiveUnreadable;
        case base::ErrorCode::Cancelled:
            return kUnlhaCancelled;
        default:
            return command == 'a' ? kUnlhaWriteFailed : kUnlhaArchiveUnreadable;
        }
    }
    if (!result.memberFailures.empty())
        return command == 'a' ? kUnlhaPartial : kUnlhaMemberErrors;
    return kUnlhaOk;
}

std::string unlhaMessage(int code, const ArchiveResult& result)
{
    if (code == kUnlhaOk)
        return "OK: " + std::to_string(result.members) + " members";
    if (code == kUnlhaCancelled)
        return "cancelled";
    std::string text = !result.archiveStatus.ok() ? "error: " + describe(result.archiveStatus) : std::string("error");
    if (!result.memberFailures.empty())
        text += " (" + std::to_string(result.memberFailures.size()) +
                " failed, first: " + describe(result.memberFailures.front()) + ")";
    return text;
}

int Unlha(void* /*window*/, const char* command, char* output, int outputSize, const ArchiveOptions* options)
{
    std::string error;
    const auto parsed = parseUnlhaCommand(command ? command : "", &error);
    if (!parsed) {
        writeMessage("bad command: " + error, output, outputSize);
        return kUnlhaBadCommand;
    }
    const ArchiveResult result = runArchive(*parsed, options ? *options : ArchiveOptions{});
    const int code = unlhaResultCode(parsed->command, result);
    writeMessage(unlhaMessage(code, result), output, outputSize);
    return code;
}

} // namespace core::archive
