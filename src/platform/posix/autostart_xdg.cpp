// Logon start on desktops that follow the XDG autostart rules: a desktop entry named after the
// Windows Run value, in $XDG_CONFIG_HOME/autostart (or ~/.config/autostart).

#include "platform/autostart.h"

#include "platform/file_io.h"
#include "platform/paths.h"

#include <cstdlib>
#include <system_error>

namespace platform {
namespace {

std::string autostartFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative value.
    if (configHome != nullptr && configHome[0] == '/')
        return joinPath(configHome, "autostart");
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        return {};
    return joinPath(joinPath(home, ".config"), "autostart");
}

// Exec takes a quoted argument whose ", `, $ and \ are escaped with a backslash, and the
// file's string rules then double every backslash again; % starts a field code.
std::string quotedExecArgument(const std::string& path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::string autostartEntryPath()
{
    const std::string folder = autostartFolder();
    return folder.empty() ? std::string() : joinPath(folder, "LTApp.desktop");
}

} // namespace

void registerAutostart(const std::string& programFolder)
{
    const std::string entry = autostartEntryPath();
    if (entry.empty())
        return;
    std::error_code ignored;
    std::filesystem::create_directories(toPath(autostartFolder()), ignored);
    const std::string text = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=つむぎ君\n"
                             "Exec=" +
                             quotedExecArgument(joinPath(programFolder, "Fernhold")) +
                             "\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n";
    writeFileAtomically(entry, text);
}

void unregisterAutostart()
{
    const std::string entry = autostartEntryPath();
    if (entry.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove(toPath(entry), ignored);
}

} // namespace platform
