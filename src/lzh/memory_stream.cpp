#include "lzh/memory_stream.h"

#include <algorithm>

namespace lzh {

std::ptrdiff_t MemoryStream::read(std::uint8_t* buffer, std::size_t size)
{
    const std::size_t at = static_cast<std::size_t>(std::min<std::uint64_t>(m_offset, m_bytes.size()));
    const std::size_t take = std::min(size, m_bytes.size() - at);
    std::copy_n(m_bytes.data() + at, take, buffer);
    m_offset += take;
    return static_cast<std::ptrdiff_t>(take);
}

base::Status MemoryStream::skip(std::uint64_t count)
{
    m_offset += count;
    return base::Status::success();
}

StreamSource memorySource(std::string_view bytes)
{
    return [bytes]() -> base::Result<std::unique_ptr<InputStream>> {
        return std::unique_ptr<InputStream>(std::make_unique<MemoryStream>(bytes));
    };
}

} // namespace lzh
