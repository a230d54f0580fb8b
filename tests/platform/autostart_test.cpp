#include "platform/autostart.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
using fernhold::test::TempFolder;

// The XDG side only; the registry side is tested on Windows.
TEST(AutostartXdg, WritesADesktopEntryThatStartsTheProgramAndRemovesIt)
{
#ifdef _WIN32
    GTEST_SKIP() << "XDG autostart entries exist only on POSIX desktops";
#else
    TempFolder config;
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous ? previous : "";
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);

    const std::string entry = config.file("autostart/LTApp.desktop");
    platform::registerAutostart("/opt/つむぎ 君/$bin");
    const std::string text = fernhold::test::readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"/opt/つむぎ 君/\\\\$bin/Fernhold\"\n"), std::string::npos) << text;

    platform::unregisterAutostart();
    EXPECT_FALSE(fernhold::test::isFile(entry));
    platform::unregisterAutostart(); // nothing left to remove is no failure

    if (previous)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
#endif
}

} // namespace
