#pragma once
// Scratch folders for the fuzz targets: a private, deeply nested folder so that a member name
// climbing out with "../" still lands somewhere we can see, and a snapshot of a tree to tell
// what a call created, changed or removed.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace fuzz {

// A fuzz property failed: print why and abort, which libFuzzer and the replay test both report.
[[noreturn]] void fail(std::string_view what, std::string_view detail = {});
inline void check(bool condition, std::string_view what, std::string_view detail = {})
{
    if (!condition)
        fail(what, detail);
}

struct EntryState {
    bool isFolder = false;
    std::uint64_t size = 0;
    std::string content; // files only; scratch files are small
    friend bool operator==(const EntryState&, const EntryState&) = default;
};

// Relative path (generic form) to state, every file and folder below root.
using TreeSnapshot = std::map<std::string, EntryState>;
TreeSnapshot snapshotTree(const std::string& root);

// The first difference between two snapshots, or empty when they are equal.
std::string describeDifference(const TreeSnapshot& before, const TreeSnapshot& after);

// Owns <temp>/fernhold-fuzz-<random>/a/b/c/d/work for the life of the process: four empty levels
// above the work folder catch "../" escapes of up to four steps, and the whole base is checked.
class ScratchTree {
public:
    ScratchTree();
    ~ScratchTree();
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    const std::string& work() const { return m_work; }
    std::string path(std::string_view name) const;

    // Fails when anything exists below the base but outside the work folder.
    void checkNothingOutsideWork() const;
    // Empties the work folder.
    void clearWork() const;

private:
    std::string m_base;
    std::string m_work;
};

// Writes bytes to a file, replacing it; fails the run when that is impossible.
void writeWholeFile(const std::string& path, std::string_view bytes);

} // namespace fuzz
