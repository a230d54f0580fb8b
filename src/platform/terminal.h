#pragma once
// The console side of the command-line tool: whether a standard stream is an interactive
// terminal (progress is drawn only there), and the arguments as UTF-8.

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

bool isTerminal(std::FILE* stream);

// The program's arguments after its name, in UTF-8. On Windows argv is in the ANSI code page and
// loses what that cannot hold, so the wide command line is read instead.
std::vector<std::string> commandLineArguments(int argc, char** argv);

} // namespace platform
