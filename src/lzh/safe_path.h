#pragma once
// The rules that keep extraction inside its target folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lzh {

// The components of a member path when it is a plain relative path; nullopt for an absolute
// path, a drive letter, a "." or ".." component, or (on Windows) a component that Windows would
// read as something else (':' streams, names of only dots and spaces, names ending in a dot or a
// space, device names such as CON, NUL.txt or com1).
std::optional<std::vector<std::string>> safeComponents(std::string_view memberPath);

// True when a link at linkPath (relative, safe) pointing to target stays inside the root.
bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target);

} // namespace lzh
