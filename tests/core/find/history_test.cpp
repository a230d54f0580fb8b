// The history over several slots: distinct versions, the file now against them, a slot rewritten
// or damaged, and restoring single members without touching anything else; matching names as a
// Japanese reader expects, and telling text, pictures and other data apart.

#include "archiver/extractor.h"
#include "core/archive/archive_entry.h"
#include "core/find/current_state.h"
#include "core/find/find_messages.h"
#include "core/find/history_index.h"
#include "core/find/name_match.h"
#include "core/find/preview.h"
#include "core/find/single_restore.h"
#include "lzh/archive/archive_builder.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace core::find {
namespace {
using fernhold::test::readFile;
using fernhold::test::treeOf;

constexpr std::int64_t kMonday = 1'780'000'000; // seconds since 1970

class HistoryTest : public ::testing::Test {
protected:
    HistoryTest()
    {
        fernhold::test::makeFolder(m_data);
        for (int slot = 0; slot < 3; ++slot) {
            const std::string folder = m_temp.file("slot" + std::to_string(slot));
            fernhold::test::makeFolder(folder);
            m_slots.push_back({"hback0" + std::to_string(slot), platform::joinPath(folder, "BackUp.lzh"),
                               DateTime::fromSeconds(46'000LL * 86'400 + slot * 3600)});
        }
    }

    // A file of the protected folder with this content and time.
    void put(const std::string& relative, const std::string& bytes, std::int64_t mtime = kMonday)
    {
        const std::string file = local(relative);
        std::filesystem::create_directories(platform::toPath(file).parent_path());
        ASSERT_TRUE(fernhold::test::writeFile(file, bytes));
        ASSERT_TRUE(platform::setModificationTime(platform::toPath(file), mtime).ok());
    }

    std::string local(const std::string& relative) const { return platform::joinPath(m_data, relative); }

    // Packs the protected folder as it is now into the slot.
    void backUp(int slot)
    {
        std::filesystem::remove(platform::toPath(m_slots[static_cast<std::size_t>(slot)].archivePath));
        archive::UnlhaCommand command;
        command.command = 'a';
        command.archive = m_slots[static_cast<std::size_t>(slot)].archivePath;
        command.folder = m_data;
        ASSERT_TRUE(archive::runArchive(command, {}).archiveStatus.ok());
    }

    // Three generations: a.txt "one" twice, then "two"; b.txt deleted in the last; sub/c.txt always.
    HistoryIndex threeGenerations()
    {
        put("a.txt", "one");
        put("b.txt", "bee");
        put("sub/c.txt", "sea");
        backUp(0);
        backUp(1);
        put("a.txt", "two", kMonday + 60);
        std::filesystem::remove(platform::toPath(local("b.txt")));
        backUp(2);
        return HistoryIndex::build(m_slots);
    }

    RestoreRequest request(const std::string& path, int slot, bool isFolder = false) const
    {
        RestoreRequest r;
        r.path = path;
        r.isFolder = isFolder;
        r.slot = slot;
        r.protectedFolder = m_data;
        r.programFolder = m_temp.file("prog");
        return r;
    }

    fernhold::test::TempFolder m_temp;
    std::string m_data = m_temp.file("data");
    std::vector<SlotSource> m_slots;
};

TEST_F(HistoryTest, KeepsEachDistinctVersionOnceWithTheSlotsThatHoldItAndPreviewsOne)
{
    put("big.txt", std::string(300'000, 'x'));
    const HistoryIndex index = threeGenerations();
    const auto versions = index.versions("a.txt");
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(versions[0].mtime, kMonday + 60);
    ASSERT_EQ(versions[0].slots.size(), 1u);
    EXPECT_EQ(versions[0].slots[0].name, "hback02");
    ASSERT_EQ(versions[1].slots.size(), 2u);
    EXPECT_EQ(versions[1].slots[0].name, "hback01"); // newest stamp first
    EXPECT_EQ(versions[1].size, 3u);

    const auto hits = index.search("Ａ．ＴＸＴ");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].versionCount, 2);
    EXPECT_EQ(index.search("txt").size(), 4u); // b.txt too, though gone from the newest slot
    const auto root = index.children("");
    ASSERT_EQ(root.size(), 4u);
    EXPECT_TRUE(root[0].isFolder);
    EXPECT_EQ(root[0].name, "sub");
    EXPECT_EQ(index.children("sub").at(0).name, "c.txt");
    EXPECT_TRUE(index.damagedSlots().empty());

    // Only the chosen member is read, and a big one only up to the limit.
    const Preview small = previewVersion(index, "a.txt", versions[1]);
    EXPECT_EQ(small.text, "one");
    EXPECT_FALSE(small.truncated);
    const Preview big = previewVersion(index, "big.txt", index.versions("big.txt")[0]);
    EXPECT_TRUE(big.truncated);
    EXPECT_EQ(big.text.size(), kPreviewLimit);
    EXPECT_EQ(big.size, 300'000u);
}

// Our archives record each file's content digest: a file only touched since is one version.
TEST_F(HistoryTest, JoinsMembersOfTheSameContentByTheirRecordedDigest)
{
    const std::string content(100, '1'); // long enough for a record
    put("a.txt", content);
    backUp(0);
    put("a.txt", content, kMonday + 60);
    backUp(1);
    const auto versions = HistoryIndex::build(m_slots).versions("a.txt");
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_EQ(versions[0].slots.size(), 2u);
}

// Other archivers' members carry no content digest: their size, CRC and time tell versions apart,
// so a rewrite that kept the size and the time is a version of its own.
TEST_F(HistoryTest, TellsMembersWithoutADigestApartBySizeCrcAndTime)
{
    const char* contents[] = {"one", "one", "two"};
    for (std::size_t slot = 0; slot < 3; ++slot) {
        lzh::HeaderFields fields;
        fields.path = "a.txt";
        fields.method = lzh::Method::Lh0;
        fields.mtime = kMonday;
        ASSERT_TRUE(fernhold::test::writeFile(m_slots[slot].archivePath,
                                              lzh::test::level2Member(fields, contents[slot]) + std::string(1, '\0')));
    }
    const auto versions = HistoryIndex::build(m_slots).versions("a.txt");
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(versions[0].slots.size() * versions[1].slots.size(), 2u);
}

TEST_F(HistoryTest, TellsWhetherTheFileNowIsAVersionChangedOrGone)
{
    const HistoryIndex index = threeGenerations();
    const struct {
        const char* path;
        const char* content; // nullptr: leave as is; "": remove
        FileState state;
        int version;
    } cases[] = {
        {"a.txt", nullptr, FileState::Same, 0},
        {"sub/c.txt", "SEA", FileState::Changed, -1}, // same size and time: only the CRC tells
        {"a.txt", "longer", FileState::Changed, -1},
        {"b.txt", nullptr, FileState::Gone, -1},
    };
    for (const auto& c : cases) {
        if (c.content)
            put(c.path, c.content, index.versions(c.path).front().mtime);
        const CurrentState state = currentState(m_data, c.path, index.versions(c.path));
        EXPECT_EQ(state.state, c.state) << c.path;
        EXPECT_EQ(state.version, c.version) << c.path;
    }
}

TEST_F(HistoryTest, ReadsASlotAgainOnceABackupRewroteIt)
{
    HistoryIndex index = threeGenerations();
    put("a.txt", "three", kMonday + 120);
    put("new.txt", "fresh");
    backUp(0);
    SlotSource rewritten = m_slots[0];
    rewritten.stamp = DateTime::fromSeconds(47'000LL * 86'400);
    index.refreshSlot(rewritten);

    const auto versions = index.versions("a.txt");
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_EQ(versions[0].slots.at(0).name, "hback00");
    EXPECT_EQ(versions[2].slots.size(), 1u); // "one" now only in hback01
    EXPECT_EQ(index.versions("new.txt").size(), 1u);
    EXPECT_EQ(index.versions("b.txt").at(0).slots.size(), 1u);
}

TEST_F(HistoryTest, LeavesADamagedSlotOutAndNamesIt)
{
    threeGenerations();
    const std::string archive = readFile(m_slots[1].archivePath);
    ASSERT_TRUE(fernhold::test::writeFile(m_slots[1].archivePath, archive.substr(0, archive.size() - 40)));
    const HistoryIndex index = HistoryIndex::build(m_slots);
    ASSERT_EQ(index.damagedSlots().size(), 1u);
    EXPECT_EQ(index.damagedSlots()[0].name, "hback01");
    EXPECT_NE(damagedSlotsText(index.damagedSlots()).find("hback01"), std::string::npos);
    for (const auto& version : index.versions("b.txt"))
        for (const auto& slot : version.slots)
            EXPECT_NE(slot.name, "hback01");
    EXPECT_EQ(index.versions("a.txt").size(), 2u);
}

TEST_F(HistoryTest, RestoresOneFileLeavingEverythingElseAsItIsOrIntoAnotherFolder)
{
    const HistoryIndex index = threeGenerations();
    put("a.txt", "edited today", kMonday + 999);
    put("unrelated.txt", "keep me");
    auto before = treeOf(m_data);

    const auto older = index.versions("a.txt")[1];
    EXPECT_EQ(overwriteQuestion(local("a.txt"), older), Overwrite::CurrentNewer);
    put("sub/c.txt", "sea", kMonday + 5);                               // touched: differs by time alone
    const Overwrites whole = overwritesOf(index, request("", 0, true)); // b.txt agrees
    EXPECT_EQ(whole.differing, 2);
    EXPECT_EQ(whole.currentNewer, 2);
    EXPECT_EQ(restoredPath(request("a.txt", older.slots[0].slot)), local("a.txt"));
    RestoreResult result = restoreFromHistory(index, request("a.txt", older.slots[0].slot));
    EXPECT_EQ(result.problem, RestoreProblem::None) << result.message;
    EXPECT_EQ(result.restored, 1);

    before["a.txt"] = "one";
    EXPECT_EQ(treeOf(m_data), before);
    EXPECT_EQ(overwriteQuestion(local("a.txt"), older), Overwrite::Identical);
    EXPECT_EQ(currentState(m_data, "a.txt", index.versions("a.txt")).version, 1);

    // A deleted file comes back in its place; a file and a folder go into another folder.
    result = restoreFromHistory(index, request("b.txt", 0));
    EXPECT_EQ(result.problem, RestoreProblem::None) << result.message;
    EXPECT_EQ(readFile(local("b.txt")), "bee");

    const std::string elsewhere = m_temp.file("elsewhere");
    RestoreRequest file = request("sub/c.txt", 2);
    file.place = RestorePlace::IntoFolder;
    file.folder = elsewhere;
    EXPECT_EQ(restoreFromHistory(index, file).problem, RestoreProblem::None);
    RestoreRequest folder = request("sub", 0, true);
    folder.place = RestorePlace::IntoFolder;
    folder.folder = elsewhere;
    EXPECT_EQ(restoredPath(folder), platform::joinPath(elsewhere, "sub"));
    result = restoreFromHistory(index, folder);
    EXPECT_EQ(result.problem, RestoreProblem::None) << result.message;
    const std::map<std::string, std::string> expected{{"c.txt", "sea"}, {"sub/", ""}, {"sub/c.txt", "sea"}};
    EXPECT_EQ(treeOf(elsewhere), expected);
}

TEST_F(HistoryTest, RefusesNamesThatLeaveTheTargetAndTargetsInTheProgramsTree)
{
    const std::string archive =
        lzh::test::storedFile("../evil.txt", "bad") + lzh::test::storedFile("ok.txt", "good") + std::string(1, '\0');
    ASSERT_TRUE(fernhold::test::writeFile(m_slots[0].archivePath, archive));
    const HistoryIndex index = HistoryIndex::build(m_slots);

    for (const bool whole : {false, true}) {
        const RestoreResult result = restoreFromHistory(index, request(whole ? "" : "../evil.txt", 0, whole));
        EXPECT_EQ(result.problem, RestoreProblem::SomeFailed) << whole;
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].code(), base::ErrorCode::InvalidArgument);
    }
    EXPECT_FALSE(fernhold::test::isFile(m_temp.file("evil.txt")));
    EXPECT_EQ(readFile(local("ok.txt")), "good");

    RestoreRequest intoSlots = request("ok.txt", 0);
    intoSlots.place = RestorePlace::IntoFolder;
    intoSlots.programFolder = m_temp.path();
    intoSlots.folder = m_temp.file("DayBack");
    EXPECT_EQ(restoreFromHistory(index, intoSlots).problem, RestoreProblem::TargetRefused);
}

TEST(MemberPlacement, TakesOnlyThePickedMembersAndVetsTheirNewPlace)
{
    fernhold::test::TempFolder temp;
    const std::string archive = temp.file("a.lzh");
    ASSERT_TRUE(fernhold::test::writeFile(archive, lzh::test::storedFile("d/keep.txt", "k") +
                                                       lzh::test::storedFile("d/skip.txt", "s") +
                                                       lzh::test::storedFile("d/out.txt", "o") + std::string(1, '\0')));
    std::vector<std::string> refused;
    archiver::RunHooks hooks;
    hooks.onMemberError = [&](const base::Status& status) { refused.push_back(status.path()); };
    const auto place = [](const std::string& stored) -> std::optional<std::string> {
        if (stored == "d/skip.txt")
            return std::nullopt;
        return stored == "d/out.txt" ? "../out.txt" : stored.substr(2);
    };
    const std::string target = temp.file("t");
    const auto summary = archiver::extractArchive(archive, target, hooks, lzh::ArchiveStart::AtFirstByte, place);
    EXPECT_EQ(summary.members, 1);
    EXPECT_EQ(refused, std::vector<std::string>{"../out.txt"});
    EXPECT_EQ(treeOf(target), (std::map<std::string, std::string>{{"keep.txt", "k"}}));
    EXPECT_FALSE(fernhold::test::isFile(temp.file("out.txt")));
}

TEST(FoldForSearch, FoldsWidthCaseAndKanaAsAReaderExpects)
{
    const std::pair<const char*, const char*> cases[] = {
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
    for (const auto& [text, folded] : cases)
        EXPECT_EQ(foldForSearch(text), folded) << text;
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
