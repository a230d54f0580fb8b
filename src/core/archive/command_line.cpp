#include "core/archive/command_line.h"

#include "platform/paths.h"

#include <vector>

namespace core::archive {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

std::optional<std::vector<Token>> tokenize(const std::string& line, std::string* error)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        Token token;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                if (error)
                    *error = "unclosed quote";
                return std::nullopt;
            }
            token.text = line.substr(i + 1, close - i - 1);
            token.quoted = true;
            i = close + 1;
        } else {
            const std::size_t end = line.find_first_of(" \t", i);
            token.text = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? line.size() : end;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Switches are documented in docs/unlha.md.
bool applySwitch(const std::string& text, UnlhaCommand& command)
{
    const std::string s = lower(text);
    if (s == "-d" || s == "-d1" || s == "-y" || s == "-y1" || s == "-h2")
        return true;
    if (s == "-jm0")
        command.method = lzh::Method::Lh0;
    else if (s == "-jm1" || s == "-jm5")
        command.method = lzh::Method::Lh5;
    else if (s == "-jm6")
        command.method = lzh::Method::Lh6;
    else if (s == "-jm2" || s == "-jm7")
        command.method = s == "-jm2" ? kDefaultMethod : lzh::Method::Lh7;
    else if (s == "-jb")
        command.effort = lzh::Effort::Best;
    else
        return false;
    return true;
}

std::optional<UnlhaCommand> commandFrom(const std::vector<Token>& tokens, std::string* error)
{
    const auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (tokens.empty())
        return fail("empty command line");
    UnlhaCommand command;
    command.method = kDefaultMethod;
    const std::string verb = lower(tokens[0].text);
    if (tokens[0].quoted || verb.size() != 1 || std::string("axtl").find(verb[0]) == std::string::npos)
        return fail("unknown command: " + tokens[0].text);
    command.command = verb[0];
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        const bool isSwitch = !token.quoted && !token.text.empty() && token.text[0] == '-';
        if (isSwitch && lower(token.text) == "-jc") {
            // The one switch with a value: the archive in the word after it.
            if (!paths.empty() || command.command != 'a' || i + 1 >= tokens.size() || tokens[i + 1].text.empty())
                return fail("-jc needs an archive, before the paths of an add");
            command.carryFrom = tokens[++i].text;
        } else if (isSwitch) {
            if (!paths.empty() || !applySwitch(token.text, command))
                return fail("unknown or misplaced switch: " + token.text);
        } else {
            paths.push_back(token.text);
        }
    }
    const std::size_t wanted = command.command == 'a' || command.command == 'x' ? 2 : 1;
    if (paths.size() != wanted)
        return fail(paths.size() < wanted ? "missing path" : "too many paths");
    for (const std::string& path : paths)
        if (path.empty())
            return fail("empty path");
    command.archive = paths[0];
    if (wanted == 2)
        command.folder = platform::withoutTrailingSeparators(paths[1]);
    return command;
}

} // namespace

std::optional<UnlhaCommand> parseUnlhaCommand(const std::string& line, std::string* error)
{
    const auto tokens = tokenize(line, error);
    if (!tokens)
        return std::nullopt;
    return commandFrom(*tokens, error);
}

std::optional<UnlhaCommand> parseUnlhaArguments(const std::vector<std::string>& arguments, std::string* error)
{
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const bool isSwitch = arguments[i].rfind('-', 0) == 0;
        tokens.push_back({arguments[i], i > 0 && !isSwitch});
    }
    return commandFrom(tokens, error);
}

} // namespace core::archive
