// The history over 55 slots of the documents corpus: how long the index takes from a warm cache,
// the memory it holds, and how long a search, a version list, a preview and a one-file restore
// take. Prints figures; it checks nothing.
//
//   history_bench [CORPUS_FOLDER [WORK_FOLDER]]
//
// CORPUS_FOLDER defaults to /tmp/bench-corpus/Documents (made by make-corpus.sh). WORK_FOLDER
// (default /tmp/fernhold-history-bench) receives a program folder's slot tree: the corpus packed
// once, then each further slot the one before with three files changed. It is made once and
// reused while its marker file names the same corpus.

#include "core/archive/archive_entry.h"
#include "core/find/history_index.h"
#include "core/find/preview.h"
#include "core/find/single_restore.h"
#include "core/store/backup_tree.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kChangedPerSlot = 3;

// This process's CPU time, user and system, in milliseconds: on a shared machine the fairer figure.
double cpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A figure of /proc/self/status in KiB: VmHWM is the peak resident size, VmRSS the current one.
long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

std::vector<std::string> filesOf(const fs::path& corpus)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(corpus))
        if (entry.is_regular_file() && !entry.is_symlink())
            files.push_back(fs::relative(entry.path(), corpus).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

// The slots in the order they are written: MonthBack's 31, then DayBack's 24.
std::vector<fs::path> slotArchives(const fs::path& work)
{
    std::vector<fs::path> archives;
    for (int day = 1; day <= core::kMonthSlotCount; ++day)
        archives.push_back(core::archivePathInSlot(core::monthSlotPath(work.string(), day)));
    for (int slot = 0; slot < core::kDaySlotCount; ++slot)
        archives.push_back(core::archivePathInSlot(core::daySlotPath(work.string(), slot)));
    return archives;
}

bool pack(const fs::path& archive, const fs::path& folder)
{
    core::archive::UnlhaCommand command;
    command.command = 'a';
    command.archive = archive.string();
    command.folder = folder.string();
    return core::archive::runArchive(command, {}).archiveStatus.ok();
}

// Packs the corpus into the first slot, then makes each further slot from the one before by
// adding three changed files over it (an add onto an archive replaces members of the same name).
bool prepare(const fs::path& corpus, const fs::path& work, const std::vector<std::string>& files)
{
    fs::remove_all(work);
    fs::create_directories(work);
    if (!core::createBackupTree(work.string()).ok())
        return false;
    const auto archives = slotArchives(work);
    std::printf("packing %s into 55 slots ...\n", corpus.string().c_str());
    if (!pack(archives[0], corpus))
        return false;
    const fs::path changes = work / "changes";
    for (std::size_t slot = 1; slot < archives.size(); ++slot) {
        fs::copy_file(archives[slot - 1], archives[slot]);
        fs::remove_all(changes);
        for (int j = 0; j < kChangedPerSlot; ++j) {
            const std::string& file = files[(slot * 7919 + static_cast<std::size_t>(j) * 104729) % files.size()];
            fs::create_directories((changes / file).parent_path());
            std::ifstream in(corpus / file, std::ios::binary);
            std::ofstream out(changes / file, std::ios::binary);
            out << in.rdbuf() << "\nchanged for slot " << slot << "\n";
        }
        if (!pack(archives[slot], changes))
            return false;
    }
    fs::remove_all(changes);
    std::ofstream(work / "corpus.txt") << corpus.string() << "\n";
    return true;
}

// Reads every archive once, so the index is timed from a warm cache.
void warmCache(const std::vector<fs::path>& archives)
{
    std::vector<char> buffer(1 << 20);
    for (const auto& archive : archives) {
        std::ifstream in(archive, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
            ;
    }
}

std::vector<core::find::SlotSource> sources(const fs::path& work)
{
    core::SetupRecord record;
    for (std::size_t i = 0; i < record.MonthBackDate.size(); ++i)
        record.MonthBackDate[i] = core::DateTime::fromSeconds(46'000LL * 86'400 + static_cast<std::int64_t>(i) * 3600);
    for (std::size_t i = 0; i < record.DayBackDate.size(); ++i)
        record.DayBackDate[i] = core::DateTime::fromSeconds(46'002LL * 86'400 + static_cast<std::int64_t>(i) * 3600);
    return core::find::slotSources(work.string(), record);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path corpus = argc > 1 ? argv[1] : "/tmp/bench-corpus/Documents";
    const fs::path work = argc > 2 ? argv[2] : "/tmp/fernhold-history-bench";
    const auto files = filesOf(corpus);
    std::stringstream marker;
    marker << std::ifstream(work / "corpus.txt").rdbuf();
    if (marker.str() != corpus.string() + "\n") {
        // In a child, so that packing does not count in this process's peak memory.
        const pid_t child = fork();
        if (child == 0)
            _exit(prepare(corpus, work, files) ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "history_bench: could not make the slots in %s\n", work.string().c_str());
            return 1;
        }
    }
    warmCache(slotArchives(work));

    const long rssBefore = statusKiB("VmRSS");
    const double cpuBefore = cpuMilliseconds();
    auto start = Clock::now();
    const auto index = core::find::HistoryIndex::build(sources(work));
    const double buildMs = millisecondsSince(start);
    const double buildCpuMs = cpuMilliseconds() - cpuBefore;
    const long rssAfter = statusKiB("VmRSS");
    std::printf("corpus: %zu files; 55 slots, %d files changed between slots\n", files.size(), kChangedPerSlot);
    std::printf("index build (warm cache): %.0f ms (%.0f ms CPU), %zu paths, %zu damaged slots\n", buildMs, buildCpuMs,
                index.pathCount(), index.damagedSlots().size());
    std::printf("memory: peak resident %.1f MiB, index %.1f MiB\n", static_cast<double>(statusKiB("VmHWM")) / 1024,
                static_cast<double>(rssAfter - rssBefore) / 1024);

    double slowestSearch = 0;
    for (const char* query : {"h", "stdio", "ＲＥＡＤＭＥ", "ｶﾞｲﾄﾞ", "zzzz-not-there", "開発"}) {
        start = Clock::now();
        const auto hits = index.search(query);
        const double ms = millisecondsSince(start);
        slowestSearch = std::max(slowestSearch, ms);
        std::printf("search %-16s %6zu hits  %6.1f ms\n", query, hits.size(), ms);
    }
    std::printf("search, slowest: %.1f ms\n", slowestSearch);

    // The file changed most recently: in the last slot, with versions in several.
    const std::string& path = files[(54 * 7919) % files.size()];
    start = Clock::now();
    const auto versions = index.versions(path);
    std::printf("versions of %s: %zu, %.2f ms\n", path.c_str(), versions.size(), millisecondsSince(start));
    if (versions.empty())
        return 1;
    start = Clock::now();
    const auto preview = core::find::previewVersion(index, path, versions.back());
    const char* kinds[] = {"text", "image", "other", "failed"};
    std::printf("preview (%s %s, %llu bytes): %.1f ms %s\n", kinds[static_cast<int>(preview.kind)],
                preview.typeWord.c_str(), static_cast<unsigned long long>(preview.size), millisecondsSince(start),
                preview.status.detail().c_str());

    core::find::RestoreRequest request;
    request.path = path;
    request.slot = versions.back().slots.front().slot;
    request.place = core::find::RestorePlace::IntoFolder;
    request.folder = (work / "restored").string();
    request.programFolder = work.string() + "-program";
    fs::remove_all(request.folder);
    start = Clock::now();
    const auto restored = core::find::restoreFromHistory(index, request);
    std::printf("restore one file into a folder: %.1f ms (%d written%s)\n", millisecondsSince(start), restored.restored,
                restored.problem == core::find::RestoreProblem::None ? "" : ", FAILED");
    return 0;
}
