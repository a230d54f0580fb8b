#pragma once
// The bytes of an archive, read front to back: a file is one kind, memory another. The reader and
// the header parser see only this, so tests and fuzzers read archives straight from memory.

#include "base/status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace lzh {

class InputStream {
public:
    virtual ~InputStream() = default;
    // Reads up to size bytes; fewer only at the end of the stream. -1 on a read error.
    virtual std::ptrdiff_t read(std::uint8_t* buffer, std::size_t size) = 0;
    // Moves count bytes on without reading them; an I/O error when that fails.
    virtual base::Status skip(std::uint64_t count) = 0;
    // Bytes read or skipped so far.
    virtual std::uint64_t offset() const = 0;
    // The stream's length in bytes, as it was when opened.
    virtual std::uint64_t size() const = 0;
};

// Opens a new stream over the same bytes, at their start: the search for an archive behind a
// program reads from several places, and two threads may each read the archive.
using StreamSource = std::function<base::Result<std::unique_ptr<InputStream>>()>;

} // namespace lzh
