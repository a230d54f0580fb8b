#include "lzh/input_file.h"

#include "platform/file_io.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace lzh {

InputFile::~InputFile()
{
    if (m_file)
        std::fclose(m_file);
}

base::Status InputFile::open(const std::string& path)
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
    return base::Status::ok();
}

std::ptrdiff_t InputFile::read(std::uint8_t* buffer, std::size_t size)
{
    const std::size_t got = std::fread(buffer, 1, size, m_file);
    if (got < size && std::ferror(m_file))
        return -1;
    m_offset += got;
    return static_cast<std::ptrdiff_t>(got);
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

base::Status InputFile::skip(std::uint64_t count)
{
    if (!skipForward(m_file, count))
        return platform::lastSystemError(m_path);
    m_offset += count;
    return base::Status::ok();
}

} // namespace lzh
