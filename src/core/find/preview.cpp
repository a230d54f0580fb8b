#include "core/find/preview.h"

#include "core/archive/member_head.h"
#include "core/common/utf8.h"
#include "lzh/unicode.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <array>
#include <optional>

namespace core::find {
namespace {

bool startsWith(std::string_view bytes, std::string_view magic)
{
    return bytes.substr(0, magic.size()) == magic;
}

const char* imageType(std::string_view head)
{
    using namespace std::string_view_literals;
    if (startsWith(head, "\x89PNG\r\n\x1a\n"sv))
        return "PNG";
    if (startsWith(head, "\xFF\xD8\xFF"sv))
        return "JPEG";
    if (startsWith(head, "GIF87a"sv) || startsWith(head, "GIF89a"sv))
        return "GIF";
    if (startsWith(head, "BM"sv) && head.size() >= 26)
        return "BMP";
    return nullptr;
}

// A word for data that is neither text nor a picture, by its first bytes.
const char* otherType(std::string_view head)
{
    using namespace std::string_view_literals;
    if (head.empty())
        return "空のファイル";
    if (startsWith(head, "%PDF"sv))
        return "PDF文書";
    if (startsWith(head, "PK\x03\x04"sv))
        return "ZIP形式（Office文書を含む）";
    if (startsWith(head, "\xD0\xCF\x11\xE0"sv))
        return "Office文書（旧形式）";
    if (head.size() >= 7 && head.substr(2, 3) == "-lh"sv)
        return "LZH書庫";
    if (startsWith(head, "MZ"sv))
        return "プログラム";
    return "データ";
}

// Characters no text file holds: controls other than tab, line breaks, form feed and escape.
bool looksLikeText(std::string_view utf8)
{
    return std::none_of(utf8.begin(), utf8.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != 0x1B;
    });
}

// A head cut off inside a UTF-8 sequence: the sequence's first bytes go.
std::string_view withoutCutUtf8(std::string_view bytes)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, bytes.size()); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? bytes.substr(0, bytes.size() - back) : bytes;
    }
    return bytes;
}

std::optional<std::string> utf16ToUtf8(std::string_view bytes, bool bigEndian, bool cut)
{
    std::string le(bytes.substr(0, bytes.size() & ~std::size_t{1}));
    if (bigEndian)
        for (std::size_t i = 0; i + 1 < le.size(); i += 2)
            std::swap(le[i], le[i + 1]);
    // Cut between the halves of a surrogate pair: the lone high half goes.
    if (cut && le.size() >= 2 && (static_cast<unsigned char>(le.back()) & 0xFC) == 0xD8)
        le.resize(le.size() - 2);
    return lzh::utf16leToUtf8(le);
}

// UTF-16 without a byte-order mark: most characters of Latin or Japanese text leave one byte of
// each pair zero (Latin) or the two bytes share a high byte of 0x30 (kana); plain CP932 or UTF-8
// text has no zero bytes at all.
std::optional<bool> utf16WithoutMark(std::string_view bytes)
{
    std::array<std::size_t, 2> zeros{};
    const std::size_t pairs = bytes.size() / 2;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        for (std::size_t side = 0; side < 2; ++side)
            zeros[side] += bytes[i + side] == 0;
    if (pairs == 0)
        return std::nullopt;
    if (zeros[1] * 4 >= pairs && zeros[0] * 20 < pairs)
        return false; // little-endian: the high byte, second, is zero
    if (zeros[0] * 4 >= pairs && zeros[1] * 20 < pairs)
        return true;
    return std::nullopt;
}

bool asText(std::string_view head, bool cut, Preview& preview)
{
    auto take = [&](std::optional<std::string> text, const char* encoding) {
        if (!text || !looksLikeText(*text))
            return false;
        preview.kind = PreviewKind::Text;
        preview.text = std::move(*text);
        preview.encoding = encoding;
        return true;
    };
    using namespace std::string_view_literals;
    if (startsWith(head, "\xEF\xBB\xBF"sv))
        head.remove_prefix(3);
    else if (startsWith(head, "\xFF\xFE"sv))
        return take(utf16ToUtf8(head.substr(2), false, cut), "UTF-16LE");
    else if (startsWith(head, "\xFE\xFF"sv))
        return take(utf16ToUtf8(head.substr(2), true, cut), "UTF-16BE");
    else if (const auto bigEndian = utf16WithoutMark(head))
        return take(utf16ToUtf8(head, *bigEndian, cut), *bigEndian ? "UTF-16BE" : "UTF-16LE");
    const std::string_view utf8 = cut ? withoutCutUtf8(head) : head;
    if (core::isValidUtf8(utf8))
        return take(std::string(utf8), "UTF-8");
    // A head cut after a CP932 lead byte: try once without the last byte.
    auto cp932 = platform::cp932ToUtf8(head);
    if (!cp932 && cut && !head.empty())
        cp932 = platform::cp932ToUtf8(head.substr(0, head.size() - 1));
    return take(std::move(cp932), "CP932");
}

} // namespace

Preview classifyContent(std::string head, std::uint64_t size, bool truncated)
{
    Preview preview;
    preview.size = size;
    preview.truncated = truncated;
    if (const char* image = imageType(head)) {
        preview.kind = PreviewKind::Image;
        preview.typeWord = image;
        preview.bytes = std::move(head);
        return preview;
    }
    if (!head.empty() && asText(head, truncated, preview))
        return preview;
    preview.kind = PreviewKind::Other;
    preview.typeWord = otherType(head);
    return preview;
}

Preview previewVersion(const HistoryIndex& index, const std::string& path, const Version& version, std::size_t limit)
{
    Preview failed;
    failed.size = version.size;
    if (version.slots.empty()) {
        failed.status = base::Status::error(base::ErrorCode::NotFound, "no slot holds this version", path);
        return failed;
    }
    const SlotSource& slot = index.slots()[static_cast<std::size_t>(version.slots.front().slot)];
    auto head = archive::readMemberHead(slot.archivePath, path, limit);
    if (!head.ok()) {
        failed.status = head.status();
        return failed;
    }
    return classifyContent(std::move(head->bytes), head->size, !head->whole);
}

} // namespace core::find
