#pragma once
// The rules that keep extraction inside its target folder.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace archiver {

// The path as extraction places it: leading separators and drive prefixes ("/", "\", "C:",
// "\\server\") dropped, as LZH readers do; a common Windows tool stores "\sub\file".
std::string_view withoutRoot(std::string_view memberPath);

// The components of withoutRoot(memberPath) when they stay under the target; nullopt for a "."
// or ".." component, or (on Windows) a component that Windows would read as something else
// (':' streams, names of only dots and spaces, names ending in a dot or a space, device names
// such as CON, NUL.txt or com1).
std::optional<std::vector<std::string>> safeComponents(std::string_view memberPath);

// The link members met so far, so that nothing is placed through one: a link is made as a link
// whatever it points to, and a member below it would be written wherever it points.
class ArchiveLinks {
public:
    void add(const std::vector<std::string>& linkComponents);
    // True when a folder on the way to the member is one of the links.
    bool liesBelowOne(const std::vector<std::string>& memberComponents) const;

private:
    std::set<std::string> m_keys;
};

} // namespace archiver
