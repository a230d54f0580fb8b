#pragma once
// An archive held in memory. The stream only looks at the bytes: they must outlive it, and every
// stream a memorySource opens.

#include "lzh/input_stream.h"

#include <string_view>

namespace lzh {

class MemoryStream final : public InputStream {
public:
    explicit MemoryStream(std::string_view bytes) : m_bytes(bytes) {}

    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) override;
    // Skipping past the end is allowed, as on a file; reads there return nothing.
    base::Status skip(std::uint64_t count) override;
    std::uint64_t offset() const override { return m_offset; }
    std::uint64_t size() const override { return m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::uint64_t m_offset = 0;
};

StreamSource memorySource(std::string_view bytes);

} // namespace lzh
