// The archive reader on hostile bytes: list, test and extract an arbitrary archive, as the program
// reads its backups and, for list and test, as the unlha tool reads a named file that may be a
// self-extracting program. Besides the sanitizers' findings, an extraction must never write
// outside its target folder, never alter the archive it reads, and always leave a zero-terminated
// message in the output buffer.

#include "core/archive/unlha.h"
#include "lzh/extractor.h"
#include "platform/paths.h"
#include "scratch_tree.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs one command with an output buffer of exactly outputSize bytes, so that ASan sees any
// write past it.
int runUnlha(const std::string& command, int outputSize)
{
    std::vector<char> output(static_cast<std::size_t>(outputSize), '\x7f');
    const int result =
        core::archive::Unlha(nullptr, command.c_str(), outputSize > 0 ? output.data() : nullptr, outputSize);
    if (outputSize > 0) {
        fuzz::check(std::memchr(output.data(), '\0', output.size()) != nullptr,
                    "the output message is not zero-terminated", command);
    }
    fuzz::check(result >= core::archive::kUnlhaOk && result <= core::archive::kUnlhaCancelled,
                "Unlha returned a code outside its documented set", command);
    return result;
}

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchTree scratch;
    const std::string archive = scratch.path("input.lzh");
    const std::string target = scratch.path("out") + platform::kSeparator;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    scratch.clearWork();
    fuzz::writeWholeFile(archive, bytes);

    runUnlha("l " + quoted(archive), 255);
    runUnlha("t " + quoted(archive), 16);
    runUnlha("x -d1 -y1 " + quoted(archive) + " " + quoted(target), 0);
    lzh::listArchive(archive, [](const lzh::MemberInfo&) {}, lzh::ArchiveStart::AfterProgram);
    lzh::testArchive(archive, {}, lzh::ArchiveStart::AfterProgram);

    scratch.checkNothingOutsideWork();
    const fuzz::TreeSnapshot after = fuzz::snapshotTree(scratch.work());
    auto input = after.find("input.lzh");
    fuzz::check(input != after.end() && input->second.content == bytes, "the archive was altered by reading it");
    for (const auto& [name, state] : after) {
        const bool inTarget = name == "out" || name.rfind("out/", 0) == 0;
        fuzz::check(name == "input.lzh" || inTarget, "extraction wrote outside its target folder", name);
    }
    return 0;
}
