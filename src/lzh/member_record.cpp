#include "lzh/member_record.h"

#include "lzh/byte_order.h"

#include <algorithm>

namespace lzh {
namespace {

constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kSettled = 0x01;
constexpr std::size_t kMaxVarintSize = 10;

// Numbers in seven-bit groups, low first: sizes, devices and file numbers are mostly small.
void appendVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out += static_cast<char>(static_cast<std::uint8_t>(value) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

std::optional<std::uint64_t> takeVarint(std::string_view& in)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < in.size() && i < kMaxVarintSize; ++i) {
        const auto byte = static_cast<std::uint8_t>(in[i]);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80)) {
            in.remove_prefix(i + 1);
            return value;
        }
    }
    return std::nullopt;
}

// The change time as its distance from the modification time, which is small for a file that
// was written in place; zigzag so a change time before it stays short too.
std::uint64_t zigzag(std::int64_t value)
{
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value)
{
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

std::int64_t wrappingDifference(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

std::int64_t wrappingSum(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

} // namespace

RecordDigest recordDigest(const Sha256Digest& full)
{
    RecordDigest half;
    std::copy_n(full.begin(), half.size(), half.begin());
    return half;
}

std::string encodeRecord(const MemberRecord& record)
{
    std::string out;
    out += static_cast<char>(kVersion);
    out += static_cast<char>(record.settled ? kSettled : 0);
    appendVarint(out, record.packing);
    appendVarint(out, record.size);
    appendU64(out, static_cast<std::uint64_t>(record.modified));
    appendVarint(out, zigzag(wrappingDifference(record.changed, record.modified)));
    appendVarint(out, record.device);
    appendVarint(out, record.number);
    out.append(record.content.begin(), record.content.end());
    out.append(record.packed.begin(), record.packed.end());
    return out;
}

std::optional<MemberRecord> decodeRecord(std::string_view payload)
{
    if (payload.size() < 2 || static_cast<std::uint8_t>(payload[0]) != kVersion)
        return std::nullopt;
    MemberRecord record;
    record.settled = (static_cast<std::uint8_t>(payload[1]) & kSettled) != 0;
    payload.remove_prefix(2);
    const auto packing = takeVarint(payload);
    const auto size = takeVarint(payload);
    if (!packing || *packing > 0xFFFF || !size || payload.size() < 8)
        return std::nullopt;
    record.packing = static_cast<std::uint16_t>(*packing);
    record.size = *size;
    record.modified = static_cast<std::int64_t>(readU64(reinterpret_cast<const std::uint8_t*>(payload.data())));
    payload.remove_prefix(8);
    const auto changed = takeVarint(payload);
    const auto device = takeVarint(payload);
    const auto number = takeVarint(payload);
    if (!changed || !device || !number || payload.size() != 2 * sizeof(RecordDigest))
        return std::nullopt;
    record.changed = wrappingSum(record.modified, unzigzag(*changed));
    record.device = *device;
    record.number = *number;
    std::copy_n(payload.begin(), record.content.size(), record.content.begin());
    std::copy_n(payload.begin() + record.content.size(), record.packed.size(), record.packed.begin());
    return record;
}

} // namespace lzh
