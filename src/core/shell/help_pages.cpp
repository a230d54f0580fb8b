#include "core/shell/help_pages.h"

#include "platform/paths.h"

#include <array>

namespace core {

namespace {

// Page 0 is titled after the whole program rather than its menu caption "設定".
constexpr std::array<const char*, kHelpPageCount> kTitles = {
    "  ファイルのバックアップ",
    "  本日のバック",
    "  現状をバック",
    "  バックアップのタイミング",
    "  時刻指定で復元（上書き）",
    "  日付指定で復元（上書き）",
    "  フォルダを指定してコピー",
    "  ファイルを探して復元",
};

} // namespace

std::optional<HelpPageInfo> helpPage(int page)
{
    if (page < 0 || page >= kHelpPageCount)
        return std::nullopt;
    return HelpPageInfo{kTitles[page], "help" + std::to_string(page) + ".html"};
}

std::string helpPagePath(const std::string& programFolder, int page)
{
    const auto info = helpPage(page);
    return info ? platform::joinPath(programFolder, info->fileName) : std::string();
}

} // namespace core
