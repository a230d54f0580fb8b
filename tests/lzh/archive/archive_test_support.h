#pragma once
// The shared test helpers (support/) by std::filesystem path, as the archive tests build their
// paths, and the few they alone need.

#include "lzh/sha256.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace lzh::test {

class TempFolder {
public:
    const std::filesystem::path& path() const { return m_path; }
    // UTF-8 text, as the program passes paths.
    std::string str() const { return m_folder.path(); }
    std::string operator/(const std::string& name) const { return m_folder.file(name); }

private:
    fernhold::test::TempFolder m_folder;
    std::filesystem::path m_path = platform::toPath(m_folder.path());
};

// A path from UTF-8 text (a plain char literal is not UTF-8 to std::filesystem on Windows).
inline std::filesystem::path u8path(const std::string& utf8)
{
    return platform::toPath(utf8);
}

// Creates the folders on the way.
inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    fernhold::test::writeFile(platform::fromPath(path), bytes);
}

inline std::string readFile(const std::filesystem::path& path)
{
    return fernhold::test::readFile(platform::fromPath(path));
}

// As support's treeOf: "path/" for folders, "link:<target>" for links.
inline std::map<std::string, std::string> treeOf(const std::filesystem::path& root)
{
    return fernhold::test::treeOf(platform::fromPath(root));
}

// Bytes that do not compress (a fixed seed, so failures repeat).
inline std::string randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

inline std::string hexOf(const lzh::Sha256Digest& digest)
{
    std::string hex;
    for (const std::uint8_t b : digest)
        hex += std::string(1, "0123456789abcdef"[b >> 4]) + "0123456789abcdef"[b & 0xF];
    return hex;
}

inline std::string sha256Hex(const std::string& data)
{
    return hexOf(lzh::sha256(data.data(), data.size()));
}

// Runs a shell command; returns its exit status.
inline int run(const std::string& command)
{
    const int status = std::system(command.c_str());
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace lzh::test
