// Slots holding hostile or broken archives, restored and copied through the real restore engine.
// Nothing is written outside the target, a refused archive leaves the folder as it was, and no
// failure is reported as a success.

#include "reliability/reliability_support.h"

#include "../lzh/archive/archive_builder.h"
#include "core/restore/copy_to_folder.h"
#include "core/restore/restore_archive.h"
#include "core/restore/restore_messages.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

namespace {
using namespace fernhold::test;
using core::restore::CopyOutcome;
using core::restore::RestoreOutcome;
namespace fs = std::filesystem;

std::vector<std::string> corpusNames()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(platform::toPath(FERNHOLD_TEST_DATA_DIR "/lzh"), error))
        if (entry.path().extension() == ".lzh")
            names.push_back(platform::fromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::string archiveOf(const std::vector<std::string>& members)
{
    std::string bytes;
    for (const std::string& member : members)
        bytes += member;
    return bytes + '\0';
}

// Everything lives in one temporary folder: the program folder, the protected folder "data" and a
// neighbour "outside" that a hostile name would reach with "..".
class HostileSlot : public ::testing::Test {
protected:
    HostileSlot()
    {
        setUpProgram(m_state, m_temp.file("Fernhold"), m_data);
        makeFolder(m_data);
        writeFile(m_data + "/keep.txt", "the person's data");
        makeFolder(m_temp.file("outside"));
        writeFile(m_temp.file("outside/canary.txt"), "untouched");
        m_slot = core::monthSlotPath(m_state.programFolder, 5);
    }

    // Everything in the temporary folder but the target.
    std::map<std::string, std::string> outsideOf(const std::string& target)
    {
        auto all = treeOf(m_temp.path());
        const std::string prefix = platform::fromPath(
            platform::toPath(target).lexically_relative(platform::toPath(m_temp.path())).generic_u8string());
        std::erase_if(all, [&](const auto& entry) { return entry.first.rfind(prefix, 0) == 0; });
        return all;
    }

    RestoreOutcome restore(const std::string& archive)
    {
        writeFile(core::archivePathInSlot(m_slot), archive);
        const auto outsideBefore = outsideOf(m_data);
        const auto dataBefore = treeOf(m_data);
        RealServices real;
        const std::string archivePath = core::archivePathInSlot(m_slot);
        const RestoreOutcome outcome = core::restore::RestoreArchive(m_state, real.services, archivePath, m_data, 1);

        EXPECT_EQ(outsideOf(m_data), outsideBefore) << "written outside the target";
        EXPECT_FALSE(isFile("/tmp/" + m_marker)) << "written to the system's temporary folder";
        const auto shown = real.dialogs.messages();
        EXPECT_EQ(shown.size(), 1u);
        m_lastMessage = shown.empty() ? std::string() : shown[0].text;
        if (!shown.empty()) {
            EXPECT_EQ(shown[0].text == core::restore::restoredText(archivePath, m_data),
                      outcome == RestoreOutcome::Restored)
                << shown[0].text;
        }
        if (outcome == RestoreOutcome::ArchiveRejected) {
            EXPECT_EQ(treeOf(m_data), dataBefore) << "a refused archive touched the folder";
        }
        return outcome;
    }

    CopyOutcome copy(const std::string& archive)
    {
        writeFile(core::archivePathInSlot(m_slot), archive);
        const std::string destination = m_temp.file("copy");
        makeFolder(destination);
        writeFile(destination + "/earlier.txt", "earlier");
        const auto outsideBefore = outsideOf(destination);
        const auto destinationBefore = treeOf(destination);
        RealServices real;
        real.dialogs.chooseFolderAnswer(destination);
        real.dialogs.answerYes();
        const CopyOutcome outcome = core::restore::copySlotToFolder(m_state, real.services, m_slot);

        EXPECT_EQ(outsideOf(destination), outsideBefore) << "written outside the destination";
        for (const auto& shown : real.dialogs.messages())
            EXPECT_EQ(shown.text == core::restore::copiedText(m_slot, destination), outcome == CopyOutcome::Copied)
                << shown.text;
        if (outcome == CopyOutcome::ArchiveRejected) {
            EXPECT_EQ(treeOf(destination), destinationBefore);
        }
        removeAll(destination);
        return outcome;
    }

    TempFolder m_temp;
    std::string m_data = m_temp.file("data");
    std::string m_slot;
    core::AppState m_state;
    std::string m_lastMessage; // of the last restore
    // A name no earlier run can have left behind in /tmp.
    std::string m_marker = "fernhold-escape-" + std::to_string(std::random_device{}()) + ".txt";
};

TEST_F(HostileSlot, NoArchiveOfTheHostileCorpusWritesOutsideItsTargetOrPassesAFailureAsSuccess)
{
    // The corpus holds both hostile names and broken structures; the damaged ones must never
    // come out as restored.
    const std::set<std::string> mustFail = {"empty.lzh",
                                            "data-crc-wrong.lzh",
                                            "dotdot-name.lzh",
                                            "huge-claimed-size.lzh",
                                            "huge-original-small-packed.lzh",
                                            "lh1-cut-short.lzh",
                                            "lz4-sizes-differ.lzh",
                                            "not-lzh.lzh",
                                            "sfx-fake-header.lzh",
                                            "truncated-in-data.lzh",
                                            "truncated-in-header.lzh",
                                            "unsupported-method.lzh"};
    const auto names = corpusNames();
    ASSERT_GE(names.size(), 20u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string archive = readFile(std::string(FERNHOLD_TEST_DATA_DIR) + "/lzh/" + name);
        const RestoreOutcome restored = restore(archive);
        const CopyOutcome copied = copy(archive);
        if (mustFail.count(name) != 0) {
            EXPECT_EQ(restored, RestoreOutcome::ArchiveRejected);
            EXPECT_EQ(copied, CopyOutcome::ArchiveRejected);
        }
        // Put the protected folder back for the next archive.
        removeAll(m_data);
        makeFolder(m_data);
        writeFile(m_data + "/keep.txt", "the person's data");
    }
}

// Level 0 keeps a name's bytes as DOS tools wrote them. ".." with either separator is refused,
// and the refusal says why; roots, drives and shares are dropped and the member lands inside.
TEST_F(HostileSlot, NamesClimbingOutAreRefusedBeforeAnythingIsClearedAndRootedOnesLandInside)
{
    const struct {
        std::string name;
        std::string member;
        std::string landsAt; // empty: the archive is refused
    } cases[] = {
        {"../evil.txt", lzh::test::storedFile("../evil.txt", "x"), ""},
        {"\\..\\evil.txt", lzh::test::level0Member("\\..\\evil.txt", "x"), ""},
        {"C:\\evil.txt", lzh::test::level0Member("C:\\evil.txt", "x"), "evil.txt"},
        {"\\\\server\\share\\evil.txt", lzh::test::level0Member("\\\\server\\share\\evil.txt", "x"),
         "server/share/evil.txt"},
        // Named anew each run, so a file left by an earlier run cannot hide an escape.
        {"/tmp/" + m_marker, lzh::test::level0Member("/tmp/" + m_marker, "x"), "tmp/" + m_marker},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string archive = archiveOf({lzh::test::storedFile("fine.txt", "ok"), c.member});
        if (c.landsAt.empty()) {
            EXPECT_EQ(restore(archive), RestoreOutcome::ArchiveRejected);
            EXPECT_NE(m_lastMessage.find("フォルダの外を指すファイルが含まれています。"), std::string::npos)
                << m_lastMessage;
            EXPECT_EQ(copy(archive), CopyOutcome::ArchiveRejected);
            continue;
        }
        EXPECT_EQ(restore(archive), RestoreOutcome::Restored);
        EXPECT_EQ(readFile(m_data + "/" + c.landsAt), "x");
        EXPECT_EQ(copy(archive), CopyOutcome::Copied);
    }
}

// A link is made as a link wherever it points; a member below one is refused before anything
// is cleared, so nothing is ever written through it.
TEST_F(HostileSlot, ALinkOutOfTheTargetFollowedByAFileThroughItIsRefused)
{
    for (const std::string& target :
         {std::string("../outside"), m_temp.file("outside"), std::string("/etc"), std::string("d/l1/../..")}) {
        SCOPED_TRACE(target);
        const std::string linkMember = lzh::test::linkMember("escape", target);
        const std::string archive =
            archiveOf({linkMember, lzh::test::storedFile("escape/deeper/pwned.txt", "through the link")});
        EXPECT_EQ(restore(archive), RestoreOutcome::ArchiveRejected);
        EXPECT_NE(m_lastMessage.find("フォルダの外を指すファイルが含まれています。"), std::string::npos)
            << m_lastMessage;
        EXPECT_EQ(copy(archive), CopyOutcome::ArchiveRejected);
#ifndef _WIN32
        EXPECT_EQ(restore(archiveOf({linkMember})), RestoreOutcome::Restored);
        std::error_code error;
        EXPECT_EQ(platform::fromPath(fs::read_symlink(platform::toPath(m_data + "/escape"), error)), target);
#endif
    }
    EXPECT_FALSE(isFile("/etc/pwned.txt"));
}

} // namespace
