#pragma once
// Whole-file reads and writes for tests, by UTF-8 path.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fernhold::test {

// False when the file cannot be written.
bool writeFile(const std::string& path, std::string_view bytes);
// The file's bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
bool isFolder(const std::string& path);
bool isFile(const std::string& path);
bool makeFolder(const std::string& path);
// Names of the entries directly inside folder, sorted.
std::vector<std::string> listFolder(const std::string& path);
// Every entry beneath folder by its path relative to it ('/' between parts): a file's bytes, "" for
// a folder (its path ends in '/'), "link:" and the target for a link. Links are not followed;
// listed by the platform, so that paths of any length work on Windows too.
std::map<std::string, std::string> treeOf(const std::string& folder);

// Bytes that pack to about half their size, so the codec does real work on them.
std::string mixedBytes(std::size_t size, unsigned seed);

// Removes path and everything below it, giving folders back their write permission first; links
// are removed, never followed. False when something stays.
bool removeAll(const std::string& path);

} // namespace fernhold::test
