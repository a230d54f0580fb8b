// unlha: the program's archiver as a command-line tool, over the same library as Unlha.
//   unlha a [switches] ARCHIVE FOLDER    add the folder's contents (onto ARCHIVE if it exists)
//   unlha x [switches] ARCHIVE FOLDER    extract into FOLDER
//   unlha t ARCHIVE                      test every member
//   unlha l ARCHIVE                      list the members
// The exit status is Unlha's return code (docs/unlha.md).

#include "core/archive/unlha.h"
#include "platform/terminal.h"
#include "time_text.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: unlha a [-jm0|-jm1|-jm2|-jm5|-jm6|-jm7] [-jb] ARCHIVE FOLDER\n"
                               "       unlha x ARCHIVE FOLDER\n"
                               "       unlha t ARCHIVE\n"
                               "       unlha l ARCHIVE\n"
                               "(-d1 -y1 -h2 are accepted as the program passes them; see docs/unlha.md)\n";

// A stored comment's bytes, with control characters shown as '?' so they cannot drive the terminal.
std::string printable(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

int list(const core::archive::UnlhaCommand& command, core::archive::ArchiveOptions options)
{
    std::printf("%12s %12s %6s %-5s %-19s %-4s %s\n", "size", "packed", "ratio", "meth", "time", "crc", "name");
    const auto print = [](const lzh::MemberInfo& m) {
        const double ratio =
            m.originalSize ? 100.0 * static_cast<double>(m.packedSize) / static_cast<double>(m.originalSize) : 100.0;
        std::string name = m.path;
        if (m.kind == lzh::MemberKind::Directory)
            name += '/';
        else if (m.kind == lzh::MemberKind::Symlink)
            name += " -> " + m.linkTarget;
        if (!m.comment.empty())
            name += "  (" + printable(m.comment) + ")";
        if (!m.defect.empty())
            name += "  [" + m.defect + "]";
        std::printf("%12llu %12llu %5.1f%% %-5s %-19s %04X %s\n", static_cast<unsigned long long>(m.originalSize),
                    static_cast<unsigned long long>(m.packedSize), ratio, m.methodId.substr(1, 3).c_str(),
                    localTimeText(m.mtime).c_str(), m.crc, name.c_str());
    };
    options.onMember = print;
    const core::archive::ArchiveResult result = core::archive::runArchive(command, options);
    if (!result.archiveStatus.ok())
        std::fprintf(stderr, "unlha: %s\n", result.archiveStatus.detail().c_str());
    return core::archive::unlhaResultCode('l', result);
}

void showProgress(std::uint64_t done, std::uint64_t total, const std::string& member)
{
    static int last = -1;
    const int percent = total ? static_cast<int>(done * 100 / total) : 100;
    if (percent != last) {
        last = percent;
        std::fprintf(stderr, "\r%3d%% %-60.60s", percent, member.c_str());
    }
}

void report(const core::archive::ArchiveResult& result)
{
    for (const base::Status& failure : result.memberFailures)
        std::fprintf(stderr, "unlha: %s: %s\n", failure.path().c_str(), failure.detail().c_str());
    if (!result.rootsDropped.empty()) {
        std::vector<std::string> rootsDropped = result.rootsDropped;
        std::sort(rootsDropped.begin(), rootsDropped.end());
        std::string names;
        for (const std::string& name : rootsDropped)
            names += (names.empty() ? "" : ", ") + name;
        std::fprintf(stderr, "unlha: extracted under the folder without their leading separator or drive: %s\n",
                     names.c_str());
    }
    const base::Status& status = result.archiveStatus;
    if (!status.ok())
        std::fprintf(stderr, "unlha: %s%s%s\n", status.path().c_str(), status.path().empty() ? "" : ": ",
                     status.detail().c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments = platform::commandLineArguments(argc, argv);
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return core::archive::kUnlhaBadCommand;
    }
    std::string error;
    const auto command = core::archive::parseUnlhaArguments(arguments, &error);
    if (!command) {
        std::fprintf(stderr, "unlha: %s\n%s", error.c_str(), kUsage);
        return core::archive::kUnlhaBadCommand;
    }
    core::archive::ArchiveOptions options;
    // The tool reads what a person names, which may be a self-extracting program.
    options.start = lzh::ArchiveStart::AfterProgram;
    if (command->command == 'l')
        return list(*command, options);
    const bool terminal = platform::isTerminal(stderr);
    if (terminal)
        options.onProgress = showProgress;
    const core::archive::ArchiveResult result = core::archive::runArchive(*command, options);
    if (terminal)
        std::fputs("\r\n", stderr);
    report(result);
    return core::archive::unlhaResultCode(command->command, result);
}
