#include "reliability/reliability_support.h"

#include "core/archive/unlha.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/file_helpers.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace fernhold::test {

ProgramRun::ProgramRun(const std::string& programFolder, bool load)
{
    state.programFolder = programFolder;
    if (load)
        core::LoadSetup(state, real.dialogs);
}

void fillSource(const std::string& folder, int files, std::size_t bytesEach, unsigned seed)
{
    makeFolder(folder);
    for (const char* sub : {"一", "two"})
        makeFolder(platform::joinPath(folder, sub));
    for (int i = 0; i < files; ++i) {
        const std::string sub = i % 2 == 0 ? "一" : "two";
        writeFile(platform::joinPath(platform::joinPath(folder, sub), "f" + std::to_string(i) + ".bin"),
                  mixedBytes(bytesEach, seed + static_cast<unsigned>(i)));
    }
}

std::vector<std::string> entriesNamed(const std::string& folder, const std::string& part)
{
    std::vector<std::string> found;
    for (const auto& [name, bytes] : treeOf(folder))
        if (name.find(part) != std::string::npos)
            found.push_back(name);
    return found;
}

bool copyTree(const std::string& from, const std::string& to)
{
    std::error_code error;
    fs::copy(platform::toPath(from), platform::toPath(to),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    return !error;
}

int packFolder(const std::string& archivePath, const std::string& folder)
{
    const std::string command = "a -d1 -y1 -h2 -jm2 \"" + archivePath + "\" \"" + folder + "/\"";
    return core::archive::Unlha(nullptr, command.c_str(), nullptr, 0);
}

int testArchive(const std::string& archivePath)
{
    const std::string command = "t \"" + archivePath + "\"";
    return core::archive::Unlha(nullptr, command.c_str(), nullptr, 0);
}

void makeProgramFolder(const std::string& programFolder, const core::SetupRecord& record)
{
    makeFolder(programFolder);
    writeFile(core::setupFilePath(programFolder), core::serializeSetup(record));
    core::createBackupTree(programFolder);
    core::createTmpRead(programFolder);
}

void setUpProgram(core::AppState& state, const std::string& programFolder, const std::string& protectedFolder)
{
    state.programFolder = programFolder;
    core::ApplyDefaults(state.setup, programFolder);
    state.setup.BackupFolder = protectedFolder;
    makeProgramFolder(programFolder, state.setup);
}

std::uint64_t freeSpace(const std::string& path)
{
    std::error_code error;
    const fs::space_info space = fs::space(platform::toPath(path), error);
    return error ? 0 : space.available;
}

#ifndef _WIN32
ChildEnd runChild(const std::function<int()>& work, const ChildLimits& limits, const std::function<bool()>& killWhen)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (limits.fileSizeLimit != 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{limits.fileSizeLimit, limits.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const int code = work();
        ::_exit(code); // no destructors of the parent's test objects run twice
    }
    ChildEnd end;
    if (child < 0)
        return end;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, killWhen ? WNOHANG : 0);
        if (done == child)
            break;
        if (killWhen && killWhen()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (WIFEXITED(status)) {
        end.exited = true;
        end.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.killed = WTERMSIG(status) == SIGKILL;
        if (!end.killed)
            end.otherSignal = WTERMSIG(status);
    }
    return end;
}

std::function<bool()> afterMicroseconds(long long microseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    return [deadline] { return std::chrono::steady_clock::now() >= deadline; };
}

std::function<bool()> onceFileReaches(const std::string& path, std::uint64_t bytes)
{
    return [path, bytes] {
        std::error_code error;
        const auto size = fs::file_size(platform::toPath(path), error);
        return !error && size >= bytes;
    };
}
#endif

} // namespace fernhold::test
