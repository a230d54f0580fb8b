// The command-line parser of Unlha on arbitrary text. The current folder is a scratch folder
// holding a small real archive and a small folder, so well-formed commands do real work there;
// an unknown or malformed command must leave every file as it was.

#include "core/archive/unlha.h"
#include "platform/paths.h"
#include "scratch_tree.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

bool isNameByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '.' ||
           c >= 0x80;
}

// True when no path the command could name leaves the current folder: no parent steps, no
// drive letters or backslashes, and every '/' continues a relative name rather than starting an
// absolute one (also inside a switch value such as "-w/tmp").
bool staysInCurrentFolder(std::string_view command)
{
    if (command.find("..") != std::string_view::npos || command.find_first_of("\\:~") != std::string_view::npos)
        return false;
    char tokenStart = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(command[i]);
        const bool separator = c == ' ' || c == '\t' || c == '"' || c < 0x20;
        if (separator) {
            tokenStart = 0;
            continue;
        }
        if (tokenStart == 0)
            tokenStart = static_cast<char>(c);
        if (c == '/' && (i == 0 || !isNameByte(static_cast<unsigned char>(command[i - 1])) || tokenStart == '-'))
            return false;
    }
    return true;
}

// The scratch folder as every command finds it: folder/ with three files and small.lzh packed
// from it.
class Workbench {
public:
    Workbench()
    {
        std::error_code error;
        std::filesystem::current_path(platform::toPath(m_scratch.work()), error);
        fuzz::check(!error, "cannot enter the scratch folder", m_scratch.work());
        writeFolder();
        const int result = core::archive::Unlha(nullptr, "a -d1 -y1 -h2 -jm2 \"small.lzh\" \"folder/\"", nullptr, 0);
        fuzz::check(result == core::archive::kUnlhaOk, "cannot pack the scratch archive");
        m_pristine = fuzz::snapshotTree(m_scratch.work());
        m_archive = m_pristine.at("small.lzh").content;
    }

    const fuzz::TreeSnapshot& pristine() const { return m_pristine; }
    const fuzz::ScratchTree& scratch() const { return m_scratch; }

    void restore(const fuzz::TreeSnapshot& current) const
    {
        if (current == m_pristine)
            return;
        m_scratch.clearWork();
        writeFolder();
        fuzz::writeWholeFile(m_scratch.path("small.lzh"), m_archive);
    }

private:
    void writeFolder() const
    {
        std::error_code error;
        std::filesystem::create_directories(platform::toPath(m_scratch.path("folder/sub")), error);
        fuzz::writeWholeFile(m_scratch.path("folder/readme.txt"), "a small text file\n");
        fuzz::writeWholeFile(m_scratch.path("folder/sub/data.bin"), std::string(300, '\x01'));
        fuzz::writeWholeFile(m_scratch.path("folder/\xe6\x97\xa5\xe8\xa8\x98.txt"), "\xe4\xbb\x8a\xe6\x97\xa5\n");
    }

    fuzz::ScratchTree m_scratch;
    fuzz::TreeSnapshot m_pristine;
    std::string m_archive;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Workbench bench;
    const std::string command(reinterpret_cast<const char*>(data), size);
    if (!staysInCurrentFolder(command))
        return 0;

    std::vector<char> output(255, '\x7f');
    const int result = core::archive::Unlha(nullptr, command.c_str(), output.data(), static_cast<int>(output.size()));
    fuzz::check(std::memchr(output.data(), '\0', output.size()) != nullptr, "the output message is not zero-terminated",
                command);
    fuzz::check(result >= core::archive::kUnlhaOk && result <= core::archive::kUnlhaCancelled,
                "Unlha returned a code outside its documented set", command);

    bench.scratch().checkNothingOutsideWork();
    const fuzz::TreeSnapshot after = fuzz::snapshotTree(bench.scratch().work());
    if (result == core::archive::kUnlhaBadCommand) {
        const std::string difference = fuzz::describeDifference(bench.pristine(), after);
        fuzz::check(difference.empty(), "a refused command touched a file", command + " -> " + difference);
    }
    bench.restore(after);
    return 0;
}
