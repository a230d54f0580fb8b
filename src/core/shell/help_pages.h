#pragma once
// The eight help pages: the title strip's text and the page file, by HelpPage.

#include <optional>
#include <string>

namespace core {

inline constexpr int kHelpPageCount = 8;
// What the title strip shows before any page is chosen (and for a page number out of range).
inline constexpr const char* kHelpCreationTitle = " ファイルのバックアップ";
inline constexpr const char* kHelpWindowTitle = "つむぎ君：　おたすけ";

struct HelpPageInfo {
    std::string title;    // for the title strip, with its two leading blanks
    std::string fileName; // "help0.html" ...
};

// nullopt for a page outside 0..7.
std::optional<HelpPageInfo> helpPage(int page);

// programFolder + separator + the page's file name; "" for a page outside 0..7.
std::string helpPagePath(const std::string& programFolder, int page);

} // namespace core
