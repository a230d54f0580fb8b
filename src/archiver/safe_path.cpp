#include "archiver/safe_path.h"

#include "platform/paths.h"

namespace archiver {
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
bool endsInDotOrSpace(std::string_view part)
{
    return part.back() == '.' || part.back() == ' ';
}

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

// The first `count` components as one key; letter case folded where the file system ignores it.
std::string keyOf(const std::vector<std::string>& components, std::size_t count)
{
    std::string key;
    for (std::size_t i = 0; i < count; ++i) {
        key += components[i];
        key += '/';
    }
    if constexpr (kWindowsNames) {
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

} // namespace

std::string_view withoutRoot(std::string_view memberPath)
{
    for (;;) {
        if (!memberPath.empty() && (memberPath[0] == '/' || memberPath[0] == '\\'))
            memberPath.remove_prefix(1);
        else if (hasDriveLetter(memberPath))
            memberPath.remove_prefix(2);
        else
            return memberPath;
    }
}

std::optional<std::vector<std::string>> safeComponents(std::string_view memberPath)
{
    std::vector<std::string> parts;
    for (std::string_view part : split(withoutRoot(memberPath))) {
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

void ArchiveLinks::add(const std::vector<std::string>& linkComponents)
{
    m_keys.insert(keyOf(linkComponents, linkComponents.size()));
}

bool ArchiveLinks::liesBelowOne(const std::vector<std::string>& memberComponents) const
{
    if (m_keys.empty())
        return false;
    for (std::size_t count = 1; count < memberComponents.size(); ++count)
        if (m_keys.count(keyOf(memberComponents, count)))
            return true;
    return false;
}

} // namespace archiver
