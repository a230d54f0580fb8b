#include "core/archive/member_head.h"

#include "lzh/archive_reader.h"

#include <algorithm>

namespace core::archive {

base::Result<MemberHead> readMemberHead(const std::string& archive, const std::string& path, std::size_t limit)
{
    lzh::ArchiveReader reader;
    if (auto status = reader.open(archive); !status.ok())
        return status;
    for (;;) {
        auto next = reader.next();
        if (!next.ok())
            return next.status();
        if (!next->has_value())
            return base::Status::error(base::ErrorCode::NotFound, "no such member", path);
        const lzh::MemberInfo& member = **next;
        if (member.kind != lzh::MemberKind::File || member.path != path)
            continue;
        if (!member.defect.empty())
            return base::Status::error(base::ErrorCode::Corrupt, member.defect, path);
        MemberHead head;
        head.size = member.originalSize;
        head.bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(limit, member.originalSize)));
        const auto status = reader.readData([&](const std::uint8_t* data, std::size_t size) {
            const std::size_t take = std::min(size, limit - head.bytes.size());
            head.bytes.append(reinterpret_cast<const char*>(data), take);
            return head.bytes.size() < limit || member.originalSize <= limit;
        });
        // Stopping at the limit is the sink's own refusal, not a fault of the data.
        head.whole = status.ok();
        if (!status.ok() && status.code() != base::ErrorCode::Cancelled)
            return base::Status::error(status.code(), status.detail(), path);
        return head;
    }
}

} // namespace core::archive
