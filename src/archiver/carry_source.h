#pragma once
// An earlier archive whose members' packed bytes a pack copies for files that have not changed
// since they were packed into it. Only the members' names (as hashes) and where their headers lie
// are held, so memory grows by 16 bytes a member; a member is read again when a file asks for it.

#include "lzh/codec.h"
#include "lzh/member.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace archiver {

class CarrySource {
public:
    // The members of archive that carry a record, read up to the first damage. An archive that
    // cannot be read at all yields a source with no members: carrying only saves time.
    explicit CarrySource(const std::string& archive);

    const std::string& path() const { return m_path; }
    bool empty() const { return m_members.empty(); }

    // A reader of the archive, one for each thread that looks members up. It keeps a window of
    // the file: members are mostly asked for in archive order, a few apart, and most then lie in
    // what was read already.
    class Reader {
    public:
        explicit Reader(const CarrySource& source);
        ~Reader();
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        // The last member named exactly archivePath that carries a record.
        std::optional<lzh::MemberInfo> find(const std::string& archivePath);
        // Hands the member's packed bytes to sink, in pieces; false when they cannot all be read
        // or sink refuses one.
        bool readPacked(const lzh::MemberInfo& member, const lzh::ByteSink& sink);
        // True when the member's packed bytes are there whole and their SHA-256 is its record's.
        bool packedBytesMatch(const lzh::MemberInfo& member);
        const std::string& path() const { return m_source.path(); }

    private:
        class Stream;
        // size bytes from offset, at most the window's size; nullptr when the file ends first.
        const std::uint8_t* bytesAt(std::uint64_t offset, std::size_t size);
        const CarrySource& m_source;
        std::FILE* m_file = nullptr;
        bool m_openFailed = false;
        std::vector<std::uint8_t> m_window;
        std::uint64_t m_windowStart = 0;
        std::size_t m_windowSize = 0;
    };

private:
    struct Entry {
        std::uint64_t nameHash;
        std::uint64_t headerOffset;
    };
    std::string m_path;
    std::uint64_t m_size = 0;
    std::vector<Entry> m_members; // by nameHash, then archive order
};

} // namespace archiver
