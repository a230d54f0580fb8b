// Headers of every level as other archivers write them, the level-2 headers we write, and where
// an archive begins; all read from memory.

#include "archive_builder.h"
#include "lzh/archive_reader.h"
#include "lzh/header_writer.h"
#include "lzh/memory_stream.h"
#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace lzh {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

// Every member's header up to the end or the error that stops the reading (stored in error).
std::vector<MemberInfo> listBytes(const std::string& archive, base::Status* error = nullptr,
                                  ArchiveStart start = ArchiveStart::AtFirstByte)
{
    ArchiveReader reader;
    std::vector<MemberInfo> members;
    base::Status status = reader.open(memorySource(archive), start);
    while (status.ok()) {
        auto next = reader.next();
        if (!next.ok())
            status = next.status();
        else if (!next->has_value())
            break;
        else
            members.push_back(**next);
    }
    if (error)
        *error = status;
    return members;
}

// The notes' example E1: a stored level-2 member "hello.txt".
const std::string kLevel2Hello =
    bytes({0x2B, 0x00, '-',  'l',  'h',  '0',  '-',  5,    0,    0,    0,    5,    0,    0,    0,
           0x70, 0x40, 0xF4, 0x65, 0x20, 0x02, 0xD2, 0x34, 0x00, 0x05, 0x00, 0x00, 0x51, 0x0F, 0x0C,
           0x00, 0x01, 'h',  'e',  'l',  'l',  'o',  '.',  't',  'x',  't',  0x00, 0x00}) +
    "hello" + std::string(1, '\0');

// The only member of an archive, or a default one (after a test failure) when there is not exactly one.
MemberInfo onlyMember(const std::string& archive)
{
    const auto members = listBytes(archive);
    EXPECT_EQ(members.size(), 1u);
    return members.size() == 1 ? members[0] : MemberInfo{};
}

TEST(LzhHeader, ReadsLevels1To3AsOtherArchiversWriteThem)
{
    const MemberInfo level2 = onlyMember(kLevel2Hello);
    EXPECT_EQ(level2.path, "hello.txt");
    EXPECT_EQ(level2.methodId, "-lh0-");
    EXPECT_EQ(level2.originalSize, 5u);
    EXPECT_EQ(level2.crc, 0x34D2);
    EXPECT_EQ(level2.mtime, 1710506096);

    // Level 1 with the Unix mode and time extensions.
    const MemberInfo level1 =
        onlyMember(bytes({0x22, 0x2E, '-',  'l',  'h',  '0',  '-',  0x18, 0,    0,    0,    5,    0,    0,
                          0,    0x5C, 0x64, 0x6F, 0x58, 0x20, 0x01, 9,    'h',  'e',  'l',  'l',  'o',  '.',
                          't',  'x',  't',  0xD2, 0x34, 'U',  0x05, 0x00, 0x50, 0xA4, 0x81, 0x07, 0x00, 0x51,
                          0,    0,    0,    0,    0x07, 0x00, 0x54, 0x70, 0x40, 0xF4, 0x65, 0x00, 0x00}) +
                   "hello" + std::string(1, '\0'));
    EXPECT_EQ(level1.packedSize, 5u);
    EXPECT_EQ(level1.unixMode, 0x81A4);
    EXPECT_EQ(level1.mtime, 1710506096);

    // Level 3, whose extension sizes take four bytes.
    const MemberInfo level3 = onlyMember(bytes({0x04, 0x00, '-',  'l',  'h',  '0',  '-',  5,    0,   0,  0, 5, 0, 0,  0,
                                                0x70, 0x40, 0xF4, 0x65, 0x20, 0x03, 0xD2, 0x34, 'M', 42, 0, 0, 0, 10, 0,
                                                0,    0,    0x01, 'a',  '.',  't',  'x',  't',  0,   0,  0, 0}) +
                                         "hello" + std::string(1, '\0'));
    EXPECT_EQ(level3.level, 3);
    EXPECT_EQ(level3.path, "a.txt");
    EXPECT_EQ(level3.packedSize, 5u);

    // One OS-9 archiver states a level-2 length two bytes short of the chain's final zero size.
    std::string shortForm = kLevel2Hello;
    shortForm[0] = 0x29;
    EXPECT_EQ(onlyMember(shortForm).dataOffset, 43u);
}

// Each header broken in one field: the level-0 checksum, the level-2 CRC, an extension record
// whose stated size runs past the end of its header, a level-2 length short by other than the
// chain's final zero size. The fourth one's record is a 16-byte size record whose type byte ends
// a 64-byte header, so reading its payload would leave the buffer (which the sanitizer build sees).
TEST(LzhHeader, RejectsHeadersThatDoNotCheckOut)
{
    std::string badChecksum = test::level0Member("a.txt", "x") + std::string(1, '\0');
    badChecksum[1] = static_cast<char>(badChecksum[1] ^ 0x01);
    std::string badCrc = kLevel2Hello;
    badCrc[28] ^= 0x01;
    std::string extPastEnd = kLevel2Hello;
    extPastEnd[30] = 0x04; // the name record's size becomes 0x040C
    std::string sizesPastEnd = kLevel2Hello.substr(0, 24) + bytes({37, 0, 0x01}) + std::string(34, 'a') +
                               bytes({19, 0, 0x42}) + "hello" + std::string(1, '\0');
    sizesPastEnd[0] = 64;
    std::string shortNotZero = kLevel2Hello;
    shortNotZero[0] = 0x29;
    shortNotZero[42] = 0x05;
    std::string threeShort = kLevel2Hello;
    threeShort[0] = 0x28;
    for (const std::string& archive : {badChecksum, badCrc, extPastEnd, sizesPastEnd, shortNotZero, threeShort}) {
        base::Status error;
        EXPECT_TRUE(listBytes(archive, &error).empty());
        EXPECT_EQ(error.code(), base::ErrorCode::Corrupt);
    }
}

// Old archivers' ways with names: any of three separators (a CP932 trail byte 0x5C is none), a
// NUL then a comment (Amiga), capitals from DOS-family systems given back in small letters; our
// own level-2 headers ('W') keep every name's case.
TEST(LzhHeader, ReadsTheNameHabitsOfOldArchivers)
{
    const std::string hyo = *platform::utf8ToCp932("表ソ");
    ASSERT_NE(hyo.find('\x5C'), std::string::npos);
    const struct {
        std::string archive;
        const char* path;
        const char* comment;
    } cases[] = {
        {test::level0Member("README.TXT", "x"), "readme.txt", ""},
        {test::level0Member("DIR\\SUB\\A.TXT", "x"), "dir/sub/a.txt", ""},
        {test::level0Member("dir\xFF" + hyo + "\\" + hyo + "/" + hyo + ".txt", "x"), "dir/表ソ/表ソ/表ソ.txt", ""},
        {test::level0Member("ReadMe.TXT", "x"), "ReadMe.TXT", ""},
        {test::level0Member(std::string("dir\\note.txt") + '\0' + "..\\up /comment", "x"), "dir/note.txt",
         "..\\up /comment"},
        {test::storedFile("README.TXT", "x"), "README.TXT", ""},
    };
    for (const auto& c : cases) {
        const MemberInfo member = onlyMember(c.archive + std::string(1, '\0'));
        EXPECT_EQ(member.path, c.path);
        EXPECT_EQ(member.comment, c.comment);
    }
}

// Names whether CP932 holds them or not, header sizes whose low byte would be zero (a reader
// takes that for the end), and sizes over 4 GiB.
TEST(LzhHeader, WrittenHeadersReadBackExactly)
{
    std::vector<HeaderFields> cases = {
        {.path = "big.bin", .method = Method::Lh5, .packedSize = 5, .originalSize = 0x123456789ull, .wideSizes = true}};
    for (const std::string path : {"a/b/c.txt", "ソフト/表計算 1.txt", "emoji/😀 x.txt", "한국어/파일.txt"})
        cases.push_back({.path = path});
    for (std::size_t length = 150; length < 260; ++length)
        cases.push_back({.path = std::string(length, 'n')});
    for (const HeaderFields& fields : cases) {
        auto header = buildLevel2Header(fields);
        ASSERT_TRUE(header.ok()) << fields.path;
        EXPECT_NE((*header)[0], '\0');
        const MemberInfo member = onlyMember(*header + std::string(fields.packedSize, 'p') + std::string(1, '\0'));
        EXPECT_EQ(member.path, fields.path);
        EXPECT_EQ(member.originalSize, fields.originalSize);
        EXPECT_EQ(member.packedSize, fields.packedSize);
    }
}

// The unlha tool looks past a self-extracting program for the first header that checks out;
// strings in the program that only look like headers are passed over, and the search stops at
// 1 MiB. The program's own reading never searches.
TEST(LzhArchiveStart, FindsAnArchiveAfterAProgramOnlyAtAHeaderThatChecksOut)
{
    const std::string real = test::level0Member("a.txt", "real") + std::string(1, '\0');
    std::string badChecksum = test::level0Member("fake.txt", "zz");
    badChecksum[1] = static_cast<char>(badChecksum[1] ^ 0xFF);
    std::string badCrc = test::storedFile("fake.txt", "zz");
    badCrc[15] = static_cast<char>(badCrc[15] ^ 0x01);
    const std::string program = "MZ" + std::string(300, '\x90');
    const struct {
        std::string file;
        bool found;
    } cases[] = {
        {program + badChecksum + std::string(50, 'J') + real, true},
        {program + badCrc + real, true},
        {program + std::string(1024 * 1024, 'J') + real, false},
        {program, false},
        // An archive whose first header is damaged is no program: its member is not passed over.
        {badChecksum + real, false},
    };
    for (const auto& c : cases) {
        base::Status error;
        std::vector<std::string> paths;
        for (const MemberInfo& member : listBytes(c.file, &error, ArchiveStart::AfterProgram))
            paths.push_back(member.path);
        EXPECT_EQ(error.ok(), c.found) << c.file.size();
        EXPECT_EQ(paths, c.found ? std::vector<std::string>{"a.txt"} : std::vector<std::string>{});
        listBytes(c.file, &error);
        EXPECT_FALSE(error.ok());
    }
}

} // namespace
} // namespace lzh
