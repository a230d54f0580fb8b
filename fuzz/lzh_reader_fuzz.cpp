// The archive reader on hostile bytes, read from memory: every header, every member's data
// decoded and its CRC checked, and the packed data copied, both from the first byte and after a
// self-extracting program. Besides the sanitizers' findings, the reader must never claim to stand
// past the end of the bytes, and must always come to an end.

#include "lzh/archive_reader.h"
#include "lzh/memory_stream.h"
#include "scratch_tree.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void readAll(std::string_view bytes, lzh::ArchiveStart start, bool copyPacked)
{
    lzh::ArchiveReader reader;
    if (!reader.open(lzh::memorySource(bytes), start).ok())
        return;
    std::uint64_t decoded = 0;
    const lzh::ByteSink count = [&](const std::uint8_t*, std::size_t size) {
        decoded += size;
        return true;
    };
    // Each member takes at least one byte of header, so this many steps always reach the end.
    for (std::size_t step = 0; step <= bytes.size(); ++step) {
        auto next = reader.next();
        if (!next.ok() || !next->has_value())
            return;
        const lzh::MemberInfo member = **next;
        decoded = 0;
        const base::Status status = copyPacked ? reader.copyPacked(count) : reader.readData(count);
        fuzz::check(reader.position() <= bytes.size(), "the reader stands past the end of the archive", member.path);
        if (status.ok() && !copyPacked && member.method != lzh::Method::Lhd)
            fuzz::check(decoded == member.originalSize, "a member decoded to another size than stated", member.path);
    }
    fuzz::check(false, "the reader found more members than the archive has bytes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readAll(bytes, lzh::ArchiveStart::AtFirstByte, false);
    readAll(bytes, lzh::ArchiveStart::AtFirstByte, true);
    readAll(bytes, lzh::ArchiveStart::AfterProgram, false);
    return 0;
}
