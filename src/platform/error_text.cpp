#include "platform/error_text.h"

#include <cerrno>

namespace platform {

std::string errorText(const std::error_code& error)
{
    const std::error_condition condition = error.default_error_condition();
    if (condition == std::errc::permission_denied || condition == std::errc::operation_not_permitted)
        return "アクセスする権限がありません";
    if (condition == std::errc::read_only_file_system)
        return "書き込みのできない媒体です";
    if (condition == std::errc::not_a_directory)
        return "フォルダのあるべき場所にファイルがあります";
    if (condition == std::errc::is_a_directory)
        return "ファイルのあるべき場所にフォルダがあります";
    if (condition == std::errc::no_space_on_device)
        return "ディスクの空きが足りません";
#ifdef EDQUOT
    if (condition == std::error_condition(EDQUOT, std::generic_category()))
        return "ディスクの空きが足りません";
#endif
    if (condition == std::errc::filename_too_long)
        return "名前が長すぎます";
    return error.message();
}

} // namespace platform
