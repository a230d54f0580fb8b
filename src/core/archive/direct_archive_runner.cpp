#include "core/archive/archive_runner.h"

#include <array>

namespace core {

int DirectArchiveRunner::run(const std::string& command, std::string* message, const archive::UnlhaOptions& options)
{
    std::array<char, 1024> buffer{};
    const int code = archive::Unlha(nullptr, command.c_str(), buffer.data(), static_cast<int>(buffer.size()), &options);
    if (message)
        *message = buffer.data();
    return code;
}

} // namespace core
