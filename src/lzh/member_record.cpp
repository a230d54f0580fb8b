#include "lzh/member_record.h"

#include "lzh/byte_order.h"

#include <algorithm>

namespace lzh {
namespace {

constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kSettled = 0x01;
constexpr std::size_t kPayloadSize = 1 + 2 + 1 + 5 * 8 + 2 * 32;

} // namespace

std::string encodeRecord(const MemberRecord& record)
{
    std::string out;
    out.reserve(kPayloadSize);
    out += static_cast<char>(kVersion);
    appendU16(out, record.packing);
    out += static_cast<char>(record.settled ? kSettled : 0);
    appendU64(out, record.size);
    appendU64(out, static_cast<std::uint64_t>(record.modified));
    appendU64(out, static_cast<std::uint64_t>(record.changed));
    appendU64(out, record.device);
    appendU64(out, record.number);
    out.append(record.content.begin(), record.content.end());
    out.append(record.packed.begin(), record.packed.end());
    return out;
}

std::optional<MemberRecord> decodeRecord(std::string_view payload)
{
    if (payload.size() != kPayloadSize || static_cast<std::uint8_t>(payload[0]) != kVersion)
        return std::nullopt;
    const auto* p = reinterpret_cast<const std::uint8_t*>(payload.data());
    MemberRecord record;
    record.packing = readU16(p + 1);
    record.settled = (p[3] & kSettled) != 0;
    p += 4;
    record.size = readU64(p);
    record.modified = static_cast<std::int64_t>(readU64(p + 8));
    record.changed = static_cast<std::int64_t>(readU64(p + 16));
    record.device = readU64(p + 24);
    record.number = readU64(p + 32);
    std::copy_n(p + 40, 32, record.content.begin());
    std::copy_n(p + 72, 32, record.packed.begin());
    return record;
}

} // namespace lzh
