#include "platform/autostart.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The XDG side only; the registry side is tested on Windows.
#ifndef _WIN32
namespace {
using fernhold::test::TempFolder;

// Sets an environment variable (or unsets it, for null) for one scope and puts the old value back.
struct ScopedEnv {
    ScopedEnv(const char* variable, const char* value)
        : name(variable), old(std::getenv(variable) ? std::getenv(variable) : "")
    {
        had = std::getenv(name) != nullptr;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { had ? ::setenv(name, old.c_str(), 1) : ::unsetenv(name); }
    const char* name;
    std::string old;
    bool had = false;
};

TEST(AutostartXdg, WritesADesktopEntryThatStartsTheProgramAndRemovesIt)
{
    TempFolder config;
    const ScopedEnv configHome("XDG_CONFIG_HOME", config.path().c_str());

    const std::string entry = config.file("autostart/LTApp.desktop");
    platform::registerAutostart("/opt/つむぎ 君/$bin");
    const std::string text = fernhold::test::readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"/opt/つむぎ 君/\\\\$bin/Fernhold\"\n"), std::string::npos) << text;

    platform::unregisterAutostart();
    EXPECT_FALSE(fernhold::test::isFile(entry));
    platform::unregisterAutostart(); // nothing left to remove is no failure
}

TEST(AutostartXdg, FallsBackToDotConfigWithoutAnAbsoluteConfigHome)
{
    TempFolder home;
    const ScopedEnv homeVariable("HOME", home.path().c_str());
    for (const char* configHome : {static_cast<const char*>(nullptr), "relative/config"}) {
        const ScopedEnv configHomeVariable("XDG_CONFIG_HOME", configHome);
        platform::registerAutostart("/opt/fernhold");
        const std::string entry = home.file(".config/autostart/LTApp.desktop");
        EXPECT_NE(fernhold::test::readFile(entry).find("Exec=\"/opt/fernhold/Fernhold\"\n"), std::string::npos);
        platform::unregisterAutostart();
        EXPECT_FALSE(fernhold::test::isFile(entry));
    }
}

} // namespace
#endif
