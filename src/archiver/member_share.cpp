#include "archiver/member_share.h"

#include "archiver/safe_path.h"

namespace archiver {
namespace {

// The same for every spelling of one name on any system: case folded, root and trailing
// separators dropped, "\\" taken as "/".
std::size_t nameKey(std::string_view storedPath)
{
    const std::string_view path = withoutRoot(storedPath);
    std::size_t end = path.size();
    while (end > 0 && (path[end - 1] == '/' || path[end - 1] == '\\'))
        --end;
    std::size_t key = 1469598103934665603u;
    for (std::size_t i = 0; i < end; ++i) {
        char c = path[i] == '\\' ? '/' : path[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        key = (key ^ static_cast<unsigned char>(c)) * 1099511628211u;
    }
    return key;
}

} // namespace

MemberShare::MemberShare(std::atomic<std::size_t>& claimed, Rule rule) : m_claimed(claimed)
{
    if (rule == Rule::KeepingNames)
        m_nameOwners.assign(kNameBuckets, Owner::Unseen);
}

bool MemberShare::takes(std::string_view storedPath)
{
    // All claims so far lie below this index, so the claimed count is the next member to take.
    std::size_t expected = m_index;
    const bool claimed = m_claimed.compare_exchange_strong(expected, m_index + 1);
    ++m_index;
    if (m_nameOwners.empty())
        return claimed;
    // Names are told apart by a hash bucket: two names in one bucket go to one walk, which costs
    // some balance and never the order.
    Owner& owner = m_nameOwners[nameKey(storedPath) % kNameBuckets];
    if (owner == Owner::Unseen)
        owner = claimed ? Owner::Mine : Owner::Other;
    return owner == Owner::Mine;
}

} // namespace archiver
