#include "lzh/file_stream.h"

#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace lzh {
namespace {

// Large enough that a read of the file costs little beside the work on its bytes, and that most
// members' data is skipped inside it.
constexpr std::size_t kBufferSize = 64 * 1024;
// A page: a header and the start of its member's data.
constexpr std::size_t kRefillAfterSeek = 4 * 1024;

} // namespace

FileStream::~FileStream()
{
    if (m_file)
        std::fclose(m_file);
}

base::Status FileStream::open(const std::string& path)
{
    m_path = path;
    std::error_code ec;
    const auto fsPath = platform::toPath(path);
    if (!std::filesystem::is_regular_file(fsPath, ec))
        return base::Status::error(base::ErrorCode::NotFound, "not a file", path);
    m_size = std::filesystem::file_size(fsPath, ec);
    if (ec)
        return base::Status::error(base::ErrorCode::IoError, ec.message(), path);
    m_file = platform::openFile(path, "rb");
    if (!m_file)
        return platform::lastSystemError(path);
    // The buffer below replaces stdio's, which would only copy the bytes once more.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    m_buffer.resize(kBufferSize);
    m_refill = kBufferSize;
    return base::Status::success();
}

std::ptrdiff_t FileStream::readFile(std::uint8_t* buffer, std::size_t size)
{
    const std::size_t got = std::fread(buffer, 1, size, m_file);
    if (got < size && std::ferror(m_file))
        return -1;
    return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t FileStream::read(std::uint8_t* buffer, std::size_t size)
{
    std::size_t done = std::min(size, m_end - m_next);
    std::copy_n(m_buffer.data() + m_next, done, buffer);
    m_next += done;
    while (done < size) {
        const std::size_t want = size - done;
        if (want >= m_buffer.size()) {
            // Large reads go straight to the caller.
            const std::ptrdiff_t got = readFile(buffer + done, want);
            if (got < 0)
                return -1;
            done += static_cast<std::size_t>(got);
            break;
        }
        const std::ptrdiff_t got = readFile(m_buffer.data(), std::max(m_refill, std::min(want, m_buffer.size())));
        if (got < 0)
            return -1;
        m_refill = std::min(m_refill * 2, m_buffer.size());
        m_next = 0;
        m_end = static_cast<std::size_t>(got);
        if (got == 0)
            break;
        const std::size_t take = std::min(want, m_end);
        std::copy_n(m_buffer.data(), take, buffer + done);
        m_next = take;
        done += take;
    }
    m_offset += done;
    return static_cast<std::ptrdiff_t>(done);
}

bool skipForward(std::FILE* file, std::uint64_t count)
{
    constexpr std::uint64_t kStep = 1u << 30;
    while (count > 0) {
        const std::uint64_t step = std::min(count, kStep);
        if (std::fseek(file, static_cast<long>(step), SEEK_CUR) != 0)
            return false;
        count -= step;
    }
    return true;
}

base::Status FileStream::skip(std::uint64_t count)
{
    // What the buffer holds is skipped there; the rest by seeking past it.
    const std::uint64_t buffered = std::min<std::uint64_t>(count, m_end - m_next);
    m_next += static_cast<std::size_t>(buffered);
    m_offset += buffered;
    count -= buffered;
    if (count == 0)
        return base::Status::success();
    if (!skipForward(m_file, count))
        return platform::lastSystemError(m_path);
    m_offset += count;
    m_refill = kRefillAfterSeek;
    return base::Status::success();
}

StreamSource fileSource(const std::string& path)
{
    return [path]() -> base::Result<std::unique_ptr<InputStream>> {
        auto file = std::make_unique<FileStream>();
        if (auto status = file->open(path); !status.ok())
            return status;
        return std::unique_ptr<InputStream>(std::move(file));
    };
}

} // namespace lzh
