// Matching names as a Japanese reader expects, and telling text, pictures and other data apart.

#include "core/find/name_match.h"
#include "core/find/preview.h"

#include <gtest/gtest.h>

namespace core::find {
namespace {

TEST(FoldForSearch, FoldsWidthCaseAndKanaAsAReaderExpects)
{
    const struct {
        const char* text;
        const char* folded;
    } cases[] = {
        {"Report.TXT", "report.txt"},
        {"ＲＥＰＯＲＴ１！～", "report1!~"},
        {"ｶﾞｷﾞｸﾞﾃﾞﾄﾞ", "ガギグデド"},
        {"ﾊﾟﾋﾟﾌﾞﾍﾟﾎﾞ", "パピブペボ"},
        {"ｳﾞｧｲｵﾘﾝ", "ヴァイオリン"},
        {"ﾂﾞｯﾁﾞ", "ヅッヂ"},
        {"ｰ｢｣", "ー「」"},
        {"ひらがな・ゞ", "ヒラガナ・ヾ"},
        {"か\u3099は\u309A", "ガパ"}, // marks as macOS spells names
        {"ﾞｱﾞ", "゛ア゛"},            // a mark with nothing to join stays a mark
        {"\xFF\xFE"
         "abc\xE3\x81",
         "\xFF\xFE"
         "abc\xE3\x81"}, // not UTF-8: bytes pass through
    };
    for (const auto& c : cases)
        EXPECT_EQ(foldForSearch(c.text), c.folded) << c.text;
}

TEST(NameMatches, FindsPartOfANameWhicheverFormEitherSideIsWrittenIn)
{
    EXPECT_TRUE(nameMatches(foldForSearch("ﾚﾎﾟｰﾄ"), "月次レポート2026.xlsx"));
    EXPECT_TRUE(nameMatches(foldForSearch("れぽーと"), "ﾚﾎﾟｰﾄ.txt"));
    EXPECT_TRUE(nameMatches(foldForSearch("ｒｅｐ"), "MyReport.doc"));
    EXPECT_TRUE(nameMatches(foldForSearch(""), "anything"));
    EXPECT_FALSE(nameMatches(foldForSearch("レボ"), "レポート")); // voiced and semi-voiced differ
}

TEST(ClassifyContent, TellsTextEncodingsPicturesAndOtherData)
{
    using namespace std::string_literals;
    const struct {
        std::string head;
        bool truncated;
        PreviewKind kind;
        const char* word; // the encoding for text, the type word otherwise
        const char* text;
    } cases[] = {
        {"plain ascii\r\n", false, PreviewKind::Text, "UTF-8", "plain ascii\r\n"},
        {"\xEF\xBB\xBF日本語", false, PreviewKind::Text, "UTF-8", "日本語"},
        {"日本\xE8\xAA", true, PreviewKind::Text, "UTF-8", "日本"}, // cut inside a character
        {"\xFF\xFEh\0i\0"s, false, PreviewKind::Text, "UTF-16LE", "hi"},
        {"\xFE\xFF\x30\x42"s, false, PreviewKind::Text, "UTF-16BE", "あ"},
        {"\0h\0e\0l\0l\0o"s, false, PreviewKind::Text, "UTF-16BE", "hello"},
        {"\x83\x65\x83\x58\x83\x67", false, PreviewKind::Text, "CP932", "テスト"},
        {"\x83\x65\x83", true, PreviewKind::Text, "CP932", "テ"}, // cut after a lead byte
        {"\x89PNG\r\n\x1a\n....", false, PreviewKind::Image, "PNG", ""},
        {"\xFF\xD8\xFF\xE0", false, PreviewKind::Image, "JPEG", ""},
        {"GIF89a..", false, PreviewKind::Image, "GIF", ""},
        {"%PDF-1.7\n\x01\x02"s, false, PreviewKind::Other, "PDF文書", ""},
        {"\x01\x02\x03\x00\xFF"s, false, PreviewKind::Other, "データ", ""},
        {"", false, PreviewKind::Other, "空のファイル", ""},
    };
    for (const auto& c : cases) {
        const Preview preview = classifyContent(c.head, c.head.size(), c.truncated);
        EXPECT_EQ(preview.kind, c.kind) << c.head;
        EXPECT_EQ(preview.kind == PreviewKind::Text ? preview.encoding : preview.typeWord, c.word) << c.head;
        EXPECT_EQ(preview.text, c.text) << c.head;
        if (c.kind == PreviewKind::Image) {
            EXPECT_EQ(preview.bytes, c.head);
        }
    }
}

} // namespace
} // namespace core::find
