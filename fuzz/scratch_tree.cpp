#include "scratch_tree.h"

#include "platform/file_io.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace fuzz {
namespace {

const char* const kLevels[] = {"a", "b", "c", "d"};

std::string readWholeFile(const fs::path& path)
{
    std::string bytes;
    std::FILE* file = platform::openFile(platform::fromPath(path), "rb");
    if (!file)
        return "<unreadable>";
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

// Parallel fuzz jobs and replays must not share a scratch folder.
std::string uniqueSuffix()
{
    static const std::string suffix = std::to_string(std::random_device{}() & 0x7fffffffu);
    return suffix;
}

std::string genericRelative(const fs::path& path, const fs::path& root)
{
    std::string relative = platform::fromPath(path.lexically_relative(root));
    if (platform::kSeparator != '/') {
        for (char& c : relative)
            c = c == platform::kSeparator ? '/' : c;
    }
    return relative;
}

} // namespace

void fail(std::string_view what, std::string_view detail)
{
    std::fprintf(stderr, "fuzz property failed: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty())
        std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::fflush(stderr);
    std::abort();
}

TreeSnapshot snapshotTree(const std::string& root)
{
    TreeSnapshot snapshot;
    std::error_code error;
    const fs::path rootPath = platform::toPath(root);
    fs::recursive_directory_iterator it(rootPath, error), end;
    for (; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        EntryState state;
        std::error_code statusError;
        state.isFolder = entry.is_directory(statusError);
        if (!state.isFolder) {
            state.size = entry.is_regular_file(statusError) ? entry.file_size(statusError) : 0;
            state.content = entry.is_regular_file(statusError) ? readWholeFile(entry.path()) : "<special>";
        }
        snapshot[genericRelative(entry.path(), rootPath)] = state;
    }
    return snapshot;
}

std::string describeDifference(const TreeSnapshot& before, const TreeSnapshot& after)
{
    for (const auto& [name, state] : before) {
        auto found = after.find(name);
        if (found == after.end())
            return "removed: " + name;
        if (!(found->second == state))
            return "changed: " + name;
    }
    for (const auto& [name, state] : after) {
        if (!before.count(name))
            return "created: " + name;
    }
    return {};
}

ScratchTree::ScratchTree()
{
    std::error_code error;
    fs::path base = fs::temp_directory_path(error) / ("fernhold-fuzz-" + uniqueSuffix());
    fs::path work = base;
    for (const char* level : kLevels)
        work /= level;
    work /= "work";
    fs::remove_all(base, error);
    fs::create_directories(work, error);
    check(!error, "cannot create the scratch folder", platform::fromPath(work));
    m_base = platform::fromPath(base);
    m_work = platform::fromPath(work);
}

ScratchTree::~ScratchTree()
{
    std::error_code error;
    fs::remove_all(platform::toPath(m_base), error);
}

std::string ScratchTree::path(std::string_view name) const
{
    return platform::joinPath(m_work, name);
}

void ScratchTree::checkNothingOutsideWork() const
{
    std::string expected;
    for (const auto& [name, state] : snapshotTree(m_base)) {
        expected.clear();
        bool onTheChain = false;
        for (const char* level : kLevels) {
            expected += expected.empty() ? level : std::string("/") + level;
            onTheChain = onTheChain || name == expected;
        }
        const std::string workPrefix = expected + "/work";
        const bool insideWork = name == workPrefix || name.rfind(workPrefix + "/", 0) == 0;
        check(onTheChain || insideWork, "a file was written outside the scratch folder", name);
    }
}

void ScratchTree::clearWork() const
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(platform::toPath(m_work), error)) {
        std::error_code removeError;
        fs::remove_all(entry.path(), removeError);
    }
}

void writeWholeFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = platform::openFile(path, "wb");
    check(file != nullptr, "cannot write a scratch file", path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    check(std::fclose(file) == 0 && written, "cannot write a scratch file", path);
}

} // namespace fuzz
