#pragma once
// A file read front to back, knowing its offset and size. Skips use relative seeks in steps a
// 32-bit long can hold, so archives over 2 GiB work where long is 32 bits.

#include "base/status.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace lzh {

// Moves file count bytes on from where it stands; false on failure (errno says why).
bool skipForward(std::FILE* file, std::uint64_t count);

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    base::Status open(const std::string& path);
    // Reads up to size bytes; fewer only at the end of the file. -1 on a read error.
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size);
    base::Status skip(std::uint64_t count);
    std::uint64_t offset() const { return m_offset; }
    std::uint64_t size() const { return m_size; }
    const std::string& path() const { return m_path; }

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::uint64_t m_offset = 0;
    std::uint64_t m_size = 0;
};

} // namespace lzh
