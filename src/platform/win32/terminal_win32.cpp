#include "platform/terminal.h"

#include "platform/win32/win32_text.h"

#include <io.h>
#include <windows.h>

#include <shellapi.h> // needs <windows.h> first

namespace platform {

bool isTerminal(std::FILE* stream)
{
    return ::_isatty(::_fileno(stream)) != 0;
}

std::vector<std::string> commandLineArguments(int, char**)
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(win32::fromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

} // namespace platform
