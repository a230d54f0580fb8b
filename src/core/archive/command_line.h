#pragma once
// Parses Unlha's command lines: a command letter, switches, then the quoted archive and folder.
// Nothing is touched here; a line that does not parse whole is refused whole.

#include "lzh/codec.h"

#include <optional>
#include <string>
#include <vector>

namespace core::archive {

struct UnlhaCommand {
    char command = 0;    // 'a' add, 'x' extract, 't' test, 'l' list
    std::string archive; // UTF-8
    std::string folder;  // UTF-8, trailing separators removed; empty for 't' and 'l'
    lzh::Method method = lzh::Method::Lh7;
    lzh::Effort effort = lzh::Effort::Fast;
    // 'a' with -jc "<archive>": copy unchanged files' packed bytes from that archive (UTF-8)
    // rather than from the one added onto.
    std::string carryFrom;

    bool operator==(const UnlhaCommand&) const = default;
};

// The method -jm2 and a plain add use; the one place to change it.
inline constexpr lzh::Method kDefaultMethod = lzh::Method::Lh7;

// nullopt for an unknown command or switch, a missing or extra path, or an unclosed quote;
// error (when not null) then says which.
std::optional<UnlhaCommand> parseUnlhaCommand(const std::string& line, std::string* error);

// The same for a command line already split into words, as a program's arguments are: the first
// is the command, a word starting with '-' a switch, any other a path (which may hold '"').
std::optional<UnlhaCommand> parseUnlhaArguments(const std::vector<std::string>& arguments, std::string* error);

} // namespace core::archive
