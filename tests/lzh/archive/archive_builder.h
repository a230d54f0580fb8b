#pragma once
// Hand-built archives for the tests: members with any name, method and data, including ones no
// honest writer would produce.

#include "lzh/header_writer.h"

#include <string>

namespace lzh::test {

// A level-0 stored member whose path field holds exactly these bytes.
std::string level0Member(const std::string& pathBytes, const std::string& data, const char* method = "-lh0-");
// The same at level 1, with no extension headers.
std::string level1Member(const std::string& pathBytes, const std::string& data);
// A level-2 member as our writer makes it, with the given data stored and CRC (computed when
// crc is negative).
std::string level2Member(const HeaderFields& fields, const std::string& data, int crc = -1);
// A stored file member of the given path and content.
std::string storedFile(const std::string& path, const std::string& data);
// A symbolic link member from path to target.
std::string linkMember(const std::string& path, const std::string& target);

} // namespace lzh::test
