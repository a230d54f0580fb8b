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

TEST(AutostartXdg, WithoutAnAbsoluteConfigHomeTheEntryInDotConfigStartsTheProgram)
{
    fernhold::test::TempFolder home;
    const ScopedEnv homeVariable("HOME", home.path().c_str());
    // Entries in $XDG_CONFIG_HOME are the shell's test; the rules ignore a relative value.
    const std::string entry = home.file(".config/autostart/LTApp.desktop");
    for (const char* configHome : {static_cast<const char*>(nullptr), "relative/config"}) {
        const ScopedEnv configHomeVariable("XDG_CONFIG_HOME", configHome);
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
