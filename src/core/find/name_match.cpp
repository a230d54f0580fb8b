#include "core/find/name_match.h"

#include <cstdint>

namespace core::find {
namespace {

constexpr char32_t kHalfVoiced = 0xFF9E;     // ﾞ
constexpr char32_t kHalfSemiVoiced = 0xFF9F; // ﾟ
constexpr char32_t kCombiningVoiced = 0x3099;
constexpr char32_t kCombiningSemiVoiced = 0x309A;

// Full-width forms of U+FF61..U+FF9D (half-width punctuation and katakana), in order.
constexpr char16_t kHalfWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3};

// Decodes one code point at text[pos], moving pos on; a byte that starts no valid sequence comes
// back as itself (above U+10FFFF, so it folds to nothing else) and pos moves one byte.
char32_t nextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<std::uint8_t>(text[pos]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 1 || length == 0 || pos + static_cast<std::size_t>(length) > text.size()) {
        ++pos;
        return length == 1 ? lead : 0x110000 + lead;
    }
    char32_t point = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return 0x110000 + lead;
        }
        point = (point << 6) | (next & 0x3F);
    }
    pos += static_cast<std::size_t>(length);
    return point;
}

void append(std::string& out, char32_t point)
{
    if (point >= 0x110000) {
        out += static_cast<char>(point - 0x110000);
    } else if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// One code point folded, voiced marks aside.
char32_t foldOne(char32_t point)
{
    if (point >= 0xFF01 && point <= 0xFF5E)
        point -= 0xFF01 - 0x21;
    if (point >= 'A' && point <= 'Z')
        return point + ('a' - 'A');
    if (point >= 0xFF61 && point <= 0xFF9D)
        return kHalfWidthKana[point - 0xFF61];
    if ((point >= 0x3041 && point <= 0x3096) || point == 0x309D || point == 0x309E)
        return point + 0x60;
    return point;
}

bool isVoicedMark(char32_t point)
{
    return point == kHalfVoiced || point == kCombiningVoiced;
}

bool isSemiVoicedMark(char32_t point)
{
    return point == kHalfSemiVoiced || point == kCombiningSemiVoiced;
}

// The katakana a voiced mark makes of base, or 0 when it makes none.
char32_t voiced(char32_t base)
{
    if (base == 0x30A6) // ウ
        return 0x30F4;
    if (base == 0x30EF || base == 0x30F0 || base == 0x30F1 || base == 0x30F2) // ワヰヱヲ
        return base + 8;
    const bool kaToChi = base >= 0x30AB && base <= 0x30C1 && base % 2 == 1;              // カ..チ on odd code points
    if (kaToChi || base == 0x30C4 || base == 0x30C6 || base == 0x30C8 || base == 0x30FD) // ツテトヽ
        return base + 1;
    if (base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0) // ハヒフヘホ
        return base + 1;
    return 0;
}

char32_t semiVoiced(char32_t base)
{
    return base >= 0x30CF && base <= 0x30DB && (base - 0x30CF) % 3 == 0 ? base + 2 : 0;
}

} // namespace

std::string foldForSearch(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t point = foldOne(nextCodePoint(utf8, pos));
        if (pos < utf8.size()) {
            std::size_t after = pos;
            const char32_t mark = nextCodePoint(utf8, after);
            const char32_t joined = isVoicedMark(mark) ? voiced(point) : isSemiVoicedMark(mark) ? semiVoiced(point) : 0;
            if (joined != 0) {
                point = joined;
                pos = after;
            }
        }
        if (point == kHalfVoiced)
            point = 0x309B;
        else if (point == kHalfSemiVoiced)
            point = 0x309C;
        append(out, point);
    }
    return out;
}

bool nameMatches(std::string_view foldedQuery, std::string_view name)
{
    return foldedQuery.empty() || foldForSearch(name).find(foldedQuery) != std::string::npos;
}

} // namespace core::find
