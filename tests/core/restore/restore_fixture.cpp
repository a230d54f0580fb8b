#include "restore_fixture.h"

#include <filesystem>
#include <system_error>

namespace fernhold::test {
namespace fs = std::filesystem;

RestoreFixture::RestoreFixture()
{
    m_program = path("prog");
    m_protected = path("data");
    makeFolder(m_program);
    makeFolder(m_protected);
    EXPECT_TRUE(core::createBackupTree(m_program).ok());
    EXPECT_TRUE(core::createTmpRead(m_program).ok());
    m_state.programFolder = m_program;
    m_state.setup.BackupFolder = m_protected;
}

std::string RestoreFixture::path(const std::string& relative) const
{
    return platform::fromPath((platform::toPath(m_temp.path()) / platform::toPath(relative)).make_preferred());
}

void RestoreFixture::put(const std::string& relative, const std::string& bytes)
{
    const fs::path file = platform::toPath(path(relative));
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    ASSERT_TRUE(writeFile(platform::fromPath(file), bytes)) << relative;
}

bool RestoreFixture::link(const std::string& target, const std::string& linkRelative)
{
    std::error_code ec;
    fs::create_directory_symlink(platform::toPath(target), platform::toPath(path(linkRelative)), ec);
    return !ec;
}

} // namespace fernhold::test
