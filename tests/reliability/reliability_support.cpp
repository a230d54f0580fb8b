#include "reliability/reliability_support.h"

#include "core/archive/unlha.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"

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

void setUpProgram(core::AppState& state, const std::string& programFolder, const std::string& protectedFolder)
{
    state.programFolder = programFolder;
    core::ApplyDefaults(state.setup, programFolder);
    state.setup.BackupFolder = protectedFolder;
    makeFolder(programFolder);
    writeFile(core::setupFilePath(programFolder), core::serializeSetup(state.setup));
    core::createBackupTree(programFolder);
    core::createTmpRead(programFolder);
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

std::vector<std::string> temporariesIn(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& [name, bytes] : treeOf(folder))
        for (const char* mark : {".fernhold-new", ".fernhold-part", "BackUp.new.lzh", "setup.def.tmp"})
            if (name.find(mark) != std::string::npos) {
                found.push_back(name);
                break;
            }
    return found;
}

#ifndef _WIN32
ChildEnd runChild(const std::function<int()>& work, std::uint64_t fileSizeLimit, const std::function<bool()>& killWhen)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (fileSizeLimit != 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::_exit(work()); // no destructors of the parent's test objects run twice
    }
    ChildEnd end;
    if (child < 0)
        return end;
    int status = 0;
    while (::waitpid(child, &status, killWhen ? WNOHANG : 0) != child) {
        if (killWhen && killWhen()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (WIFEXITED(status))
        end.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) {
        end.killed = WTERMSIG(status) == SIGKILL;
        end.otherSignal = end.killed ? 0 : WTERMSIG(status);
    }
    return end;
}

std::function<bool()> killPoint(long long microseconds, const std::string& path, std::uint64_t bytes)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    return [deadline, path, bytes] {
        std::error_code error;
        const auto size = path.empty() ? 0 : fs::file_size(platform::toPath(path), error);
        return std::chrono::steady_clock::now() >= deadline && !error && size >= bytes;
    };
}
#endif

} // namespace fernhold::test
