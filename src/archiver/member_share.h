#pragma once
// How walks on several threads, each reading the whole archive, share its members. Every walk
// passes every member in archive order and takes it when no other walk has: one large member
// holds no one up, and every member is taken exactly once.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace archiver {

class MemberShare {
public:
    enum class Rule {
        FirstCome,
        // The same, but a name met before goes to the walk that took it then, so members of one
        // name are written in archive order by one walk.
        KeepingNames,
    };

    // claimed: the count of members taken so far, shared by all walks of the archive and
    // starting at 0. It must outlive the share.
    MemberShare(std::atomic<std::size_t>& claimed, Rule rule);

    // Called by this walk for every member, in archive order: whether this walk handles it.
    bool takes(std::string_view storedPath);

private:
    enum class Owner : std::uint8_t { Unseen, Mine, Other };
    // 256 KiB per walk; an archive with far more names than buckets is shared about as by a
    // hash of the name.
    static constexpr std::size_t kNameBuckets = std::size_t{1} << 18;

    std::atomic<std::size_t>& m_claimed;
    std::size_t m_index = 0;         // of the next member in the archive
    std::vector<Owner> m_nameOwners; // by name bucket, for KeepingNames
};

} // namespace archiver
