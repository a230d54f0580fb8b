#pragma once
// Where the archive begins in a file a person names: at its first byte, or after the extractor
// program of a self-extracting archive. The program's own backups always begin at the first byte.

#include "lzh/input_stream.h"

#include <cstdint>

namespace lzh {

enum class ArchiveStart {
    AtFirstByte,
    // When the file does not begin like a header: the first offset within the first 1 MiB where
    // a whole header stands whose checksum or header CRC holds (a program may hold strings that
    // look like headers, so the check decides).
    AfterProgram,
};

// The offset to read the archive from; 0 when the bytes begin like a header (even a damaged
// one) or with the end mark, cannot be read, or hold no checked header within the distance.
std::uint64_t findArchiveStart(const StreamSource& source, ArchiveStart start);

} // namespace lzh
