#pragma once
// A file read front to back, knowing its offset and size. Reads go through a buffer of its own,
// so skipping the data of a small member moves a pointer instead of costing a seek. Longer skips
// use relative seeks in steps a 32-bit long can hold, so archives over 2 GiB work where long is
// 32 bits.

#include "lzh/input_stream.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lzh {

// Moves file count bytes on from where it stands; false on failure (errno says why).
bool skipForward(std::FILE* file, std::uint64_t count);

class FileStream final : public InputStream {
public:
    FileStream() = default;
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // NotFound when path is no file, else the system's reason it cannot be opened.
    base::Status open(const std::string& path);
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override;
    base::Status skip(std::uint64_t count) override;
    std::uint64_t offset() const override { return m_offset; }
    std::uint64_t size() const override { return m_size; }

private:
    // Reads at most size bytes from the file itself; fewer only at its end, -1 on an error.
    std::ptrdiff_t readFile(std::uint8_t* buffer, std::size_t size);

    std::FILE* m_file = nullptr;
    std::string m_path;
    std::uint64_t m_offset = 0;
    std::uint64_t m_size = 0;
    std::vector<std::uint8_t> m_buffer; // read ahead from the file; [m_next, m_end) not yet taken
    std::size_t m_next = 0;
    std::size_t m_end = 0;
    // How much the next refill reads: small after a seek, when the reader most likely wants one
    // header and skips again (a listing would otherwise copy the whole archive from the cache),
    // doubling with each refill that follows back to the whole buffer.
    std::size_t m_refill = 0;
};

// Opens path afresh for every stream.
StreamSource fileSource(const std::string& path);

} // namespace lzh
