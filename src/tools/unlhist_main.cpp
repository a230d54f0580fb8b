// unlhist: the history of every slot from a shell, beside unlha (docs/unlha.md).
//   unlhist find PROGRAM_FOLDER [TEXT]              files whose name holds TEXT, with their version counts
//   unlhist versions PROGRAM_FOLDER PATH            PATH's distinct versions, newest first, and the file now
//   unlhist get PROGRAM_FOLDER SLOT PATH FOLDER     PATH as SLOT holds it, into FOLDER
//   unlhist restore PROGRAM_FOLDER SLOT PATH        PATH as SLOT holds it, back to its place
// PATH is relative to the protected folder with '/' between parts; a folder brings all below it.

#include "core/find/current_state.h"
#include "core/find/history_index.h"
#include "core/find/single_restore.h"
#include "core/settings/setup_file.h"
#include "platform/file_io.h"
#include "platform/terminal.h"
#include "time_text.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: unlhist find PROGRAM_FOLDER [TEXT]\n"
                               "       unlhist versions PROGRAM_FOLDER PATH\n"
                               "       unlhist get PROGRAM_FOLDER SLOT PATH FOLDER\n"
                               "       unlhist restore PROGRAM_FOLDER SLOT PATH\n";

enum ExitCode { kOk = 0, kBadCommand = 1, kNotFound = 2, kFailed = 3 };

// setup.def's slot stamps and protected folder; a file that cannot be read leaves them empty.
core::SetupRecord readSetup(const std::string& programFolder)
{
    core::SetupRecord record;
    std::string bytes;
    if (std::FILE* file = platform::openFile(core::setupFilePath(programFolder), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    core::SetupRecord parsed;
    if (core::parseSetup(bytes, parsed).ok())
        record = parsed;
    return record;
}

std::string stampText(core::DateTime stamp)
{
    if (stamp.isZero())
        return "never";
    const core::CivilTime c = stamp.civil();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return text;
}

const char* stateText(core::find::FileState state)
{
    switch (state) {
    case core::find::FileState::Same:
        return "the same as version";
    case core::find::FileState::Changed:
        return "changed";
    case core::find::FileState::Gone:
        break;
    }
    return "gone";
}

int find(const core::find::HistoryIndex& index, const std::string& text)
{
    const auto hits = index.search(text);
    for (const auto& hit : hits)
        std::printf("%4d  %s\n", hit.versionCount, hit.path.c_str());
    return hits.empty() ? kNotFound : kOk;
}

int versions(const core::find::HistoryIndex& index, const std::string& protectedFolder, const std::string& path)
{
    const auto found = index.versions(path);
    if (found.empty()) {
        std::fprintf(stderr, "unlhist: no slot holds %s\n", path.c_str());
        return kNotFound;
    }
    std::printf("%3s %12s %-19s %-4s %s\n", "#", "size", "modified", "crc", "slots (last written)");
    for (std::size_t k = 0; k < found.size(); ++k) {
        const auto& version = found[k];
        std::string slots;
        for (const auto& slot : version.slots)
            slots += (slots.empty() ? "" : ", ") + slot.name + " (" + stampText(slot.stamp) + ")";
        std::printf("%3zu %12llu %-19s %04X %s\n", k + 1, static_cast<unsigned long long>(version.size),
                    localTimeText(version.mtime).c_str(), version.crc, slots.c_str());
    }
    if (!protectedFolder.empty()) {
        const auto now = core::find::currentState(protectedFolder, path, found);
        std::printf("now: %s", stateText(now.state));
        if (now.state == core::find::FileState::Same)
            std::printf(" %d", now.version + 1);
        std::printf("\n");
    }
    return kOk;
}

int restore(const core::find::HistoryIndex& index, core::find::RestoreRequest request, const std::string& slotName)
{
    for (std::size_t slot = 0; slot < index.slots().size(); ++slot)
        if (index.slots()[slot].name == slotName)
            request.slot = static_cast<int>(slot);
    if (request.slot < 0) {
        std::fprintf(stderr, "unlhist: no slot named %s\n", slotName.c_str());
        return kBadCommand;
    }
    request.isFolder = request.path.empty() || index.versions(request.path).empty();
    const auto result = core::find::restoreFromHistory(index, request);
    for (const base::Status& failure : result.failures)
        std::fprintf(stderr, "unlhist: %s: %s\n", failure.path().c_str(), failure.detail().c_str());
    if (result.problem == core::find::RestoreProblem::None) {
        std::printf("%d written\n", result.restored);
        return kOk;
    }
    if (result.failures.empty()) {
        std::string message = result.message; // the window's text, its lone CRs made line ends
        std::replace(message.begin(), message.end(), '\r', '\n');
        std::fprintf(stderr, "unlhist: %s\n", message.c_str());
    }
    return result.problem == core::find::RestoreProblem::NothingToRestore ? kNotFound : kFailed;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args = platform::commandLineArguments(argc, argv);
    const std::string command = args.empty() ? std::string() : args[0];
    const std::size_t wanted = command == "find"       ? 2
                               : command == "versions" ? 3
                               : command == "get"      ? 5
                               : command == "restore"  ? 4
                                                       : 0;
    if (wanted == 0 || args.size() < wanted || args.size() > (command == "find" ? 3 : wanted)) {
        std::fputs(kUsage, stderr);
        return kBadCommand;
    }
    const std::string& programFolder = args[1];
    const core::SetupRecord setup = readSetup(programFolder);
    const auto index = core::find::HistoryIndex::build(core::find::slotSources(programFolder, setup));
    for (const auto& damaged : index.damagedSlots())
        std::fprintf(stderr, "unlhist: %s left out: %s\n", damaged.name.c_str(), damaged.status.detail().c_str());
    if (command == "find")
        return find(index, args.size() > 2 ? args[2] : std::string());
    if (command == "versions")
        return versions(index, setup.BackupFolder, args[2]);
    core::find::RestoreRequest request;
    request.slot = -1;
    request.path = args[3];
    request.programFolder = programFolder;
    request.protectedFolder = setup.BackupFolder;
    if (command == "get") {
        request.place = core::find::RestorePlace::IntoFolder;
        request.folder = args[4];
    }
    return restore(index, request, args[2]);
}
