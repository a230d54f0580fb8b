#include "core/restore/archive_calls.h"

#include "platform/paths.h"

namespace core::restore {
namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

std::string extractCommand(const std::string& archivePath, const std::string& folder)
{
    return "x -d1 -y1 " + quoted(archivePath) + " " + quoted(folder + platform::kSeparator);
}

std::string testCommand(const std::string& archivePath)
{
    return "t " + quoted(archivePath);
}

} // namespace core::restore
