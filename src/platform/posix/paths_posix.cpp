#include "platform/paths.h"

#include <limits.h>
#include <unistd.h>

namespace platform {

std::string executableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return fromPath(std::filesystem::current_path());
    std::string exe(buffer, static_cast<size_t>(length));
    const auto cut = exe.rfind(kSeparator);
    if (cut == 0)
        return "/";
    return cut == std::string::npos ? exe : exe.substr(0, cut);
}

} // namespace platform
