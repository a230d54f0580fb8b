#include "lzh/safe_path.h"

#include "platform/paths.h"

namespace lzh {
namespace {

constexpr bool kWindowsNames = platform::kSeparator == '\\';

bool sameLetters(std::string_view text, std::string_view upper)
{
    if (text.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != upper[i])
            return false;
    }
    return true;
}

// Windows opens a device for these names in any folder, whatever the case and whatever follows a
// dot ("nul.txt", "Com1 .log"); the superscript digits of COM and LPT count as digits there.
bool isDeviceName(std::string_view part)
{
    std::string_view stem = part.substr(0, part.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (sameLetters(stem, device))
            return true;
    if (stem.size() < 4 || !(sameLetters(stem.substr(0, 3), "COM") || sameLetters(stem.substr(0, 3), "LPT")))
        return false;
    const std::string_view digit = stem.substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

// Windows drops trailing dots and spaces from a name, so the file would be made under another name
// than the one checked ("a." lands on "a", "..." on the folder itself).
bool endsInDotOrSpace(std::string_view part) { return part.back() == '.' || part.back() == ' '; }

bool hasDriveLetter(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::vector<std::string_view> split(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            if (i > start)
                parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

} // namespace

std::optional<std::vector<std::string>> safeComponents(std::string_view memberPath)
{
    if (memberPath.empty() || memberPath[0] == '/' || memberPath[0] == '\\' || hasDriveLetter(memberPath))
        return std::nullopt;
    std::vector<std::string> parts;
    for (std::string_view part : split(memberPath)) {
        if (part == "." || part == "..")
            return std::nullopt;
        if (kWindowsNames && (part.find(':') != std::string_view::npos || endsInDotOrSpace(part) || isDeviceName(part)))
            return std::nullopt;
        if (part.find('\0') != std::string_view::npos)
            return std::nullopt;
        parts.emplace_back(part);
    }
    if (parts.empty())
        return std::nullopt;
    return parts;
}

bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target)
{
    if (target.empty() || target[0] == '/' || target[0] == '\\' || hasDriveLetter(target))
        return false;
    // Resolve from the folder holding the link; the depth must never go below the root. ".." is
    // allowed only at the start: after a name it could climb out of another link's target.
    long depth = static_cast<long>(linkComponents.size()) - 1;
    bool descended = false;
    for (std::string_view part : split(target)) {
        if (part == "..") {
            if (descended)
                return false;
            --depth;
        } else if (part != ".") {
            ++depth;
            descended = true;
        }
        if (depth < 0)
            return false;
        if (kWindowsNames && part.find(':') != std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace lzh
