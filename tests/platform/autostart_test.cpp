#include "platform/autostart.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The XDG side only; the registry side is tested on Windows.
#ifndef _WIN32
namespace {

// Sets an environment variable (or unsets it, for null) for one scope and puts the old value back.
struct ScopedEnv {
    ScopedEnv(const char* variable, const char* value)
        : name(variable), had(std::getenv(variable) != nullptr), old(had ? std::getenv(variable) : "")
    {
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { had ? ::setenv(name, old.c_str(), 1) : ::unsetenv(name); }
    const char* name;
    bool had;
    std::string old;
};

TEST(AutostartXdg, WritesADesktopEntryThatStartsTheProgramAndRemovesIt)
{
    fernhold::test::TempFolder home;
    const ScopedEnv homeVariable("HOME", home.path().c_str());
    const std::string configHome = home.file("xdg");
    // The XDG rules ignore a relative XDG_CONFIG_HOME, as they do a missing one.
    const std::pair<const char*, std::string> cases[] = {
        {configHome.c_str(), home.file("xdg/autostart/LTApp.desktop")},
        {nullptr, home.file(".config/autostart/LTApp.desktop")},
        {"relative/config", home.file(".config/autostart/LTApp.desktop")},
    };
    for (const auto& [configHomeValue, entry] : cases) {
        const ScopedEnv configHomeVariable("XDG_CONFIG_HOME", configHomeValue);
        platform::registerAutostart("/opt/つむぎ 君/$bin");
        const std::string text = fernhold::test::readFile(entry);
        EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos) << entry;
        EXPECT_NE(text.find("Exec=\"/opt/つむぎ 君/\\\\$bin/Fernhold\"\n"), std::string::npos) << text;
        platform::unregisterAutostart();
        EXPECT_FALSE(fernhold::test::isFile(entry));
        platform::unregisterAutostart(); // nothing left to remove is no failure
    }
}

} // namespace
#endif
