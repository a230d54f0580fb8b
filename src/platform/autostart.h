#pragma once
// Starting the program at logon. Windows: value "LTApp" in the current user's Run key.
// Elsewhere: an XDG autostart entry "LTApp.desktop". Failures pass silently, as the menu
// items promise nothing beyond the question they ask.

#include <string>

namespace platform {

// programFolder has no trailing separator; the entry starts programFolder + sep + "Fernhold(.exe)".
void registerAutostart(const std::string& programFolder);
void unregisterAutostart();

} // namespace platform
