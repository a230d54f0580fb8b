#include "core/common/error_status.h"

#include "core/common/utf8.h"
#include "platform/error_text.h"

namespace core {

base::Status statusFromError(const std::error_code& error, const std::string& path)
{
    if (!error)
        return base::Status::success();
    base::ErrorCode code = base::ErrorCode::IoError;
    const std::error_condition condition = error.default_error_condition();
    if (condition == std::errc::no_such_file_or_directory || condition == std::errc::not_a_directory)
        code = base::ErrorCode::NotFound;
    else if (condition == std::errc::permission_denied || condition == std::errc::operation_not_permitted ||
             condition == std::errc::read_only_file_system || condition == std::errc::is_a_directory)
        code = base::ErrorCode::AccessDenied;
    else if (condition == std::errc::no_space_on_device)
        code = base::ErrorCode::DiskFull;
    // Some runtimes give the system's text in the ANSI code page; the portable text is the
    // better reason then than bytes no window can show.
    std::string reason = platform::errorText(error);
    if (!isValidUtf8(reason))
        reason = std::generic_category().message(condition.value());
    return base::Status::error(code, reason, path);
}

} // namespace core
