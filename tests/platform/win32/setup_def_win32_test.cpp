// setup.def as the Windows build writes it: backslashes, and Japanese names in CP932 whose second
// byte is the byte of a backslash (ソ is 0x83 0x5C, 表 0x95 0x5C).

#include "core/settings/setup_file.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupDefWin32, FoldersWithBackslashesAndCp932TrailBytesAreWrittenAsCp932AndReadBack)
{
    core::SetupRecord record;
    core::ApplyDefaults(record, "C:\\ソフト\\表示");
    const std::string bytes = core::serializeSetup(record);
    EXPECT_EQ(
        bytes.rfind("\"Lumo-Tree Setup v1.1\"\r\n\"C:\\\x83\x5c\x83\x74\x83\x67\\\x95\x5c\x8e\xa6\\TmpRead\"\r\n", 0),
        0u);
    core::SetupRecord read;
    ASSERT_TRUE(core::parseSetup(bytes, read).ok());
    EXPECT_EQ(read.BackupFolder, "C:\\ソフト\\表示\\TmpRead");
}

} // namespace
