#pragma once
// Temporary folders, file trees and small archive builders shared by the archive tests.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace lzh::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return m_path; }
    // UTF-8 text, as the program passes paths.
    std::string str() const;
    std::string operator/(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

// A path from UTF-8 text (a plain char literal is not UTF-8 to std::filesystem on Windows).
std::filesystem::path u8path(const std::string& utf8);

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// Every entry below root: "path" -> file content, "path/" -> "" for folders, "path@" -> target
// for links. Paths are relative with '/'.
std::map<std::string, std::string> treeOf(const std::filesystem::path& root);

// Bytes that do not compress (a fixed seed, so failures repeat).
std::string randomBytes(std::size_t size, std::uint32_t seed);

std::string sha256Hex(const std::string& data);

// Runs a shell command; returns its exit status.
int run(const std::string& command);

} // namespace lzh::test
