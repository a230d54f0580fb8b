// Slots holding hostile or broken archives, restored through the real restore engine (a copy to a
// folder goes through the same one). Nothing is written outside the target, a refused archive
// leaves the folder as it was, and no failure is reported as a success.

#include "reliability/reliability_support.h"

#include "../lzh/archive/archive_builder.h"
#include "core/restore/restore_archive.h"
#include "core/restore/restore_messages.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {
using namespace fernhold::test;
using core::restore::RestoreOutcome;
namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// Everything lives in one temporary folder: the program folder, the protected folder "data" and a
// neighbour "outside" that a hostile name would reach with "..".
class HostileSlot : public ::testing::Test {
protected:
    HostileSlot()
    {
        setUpProgram(m_state, m_temp.file("Fernhold"), m_data);
        makeFolder(m_temp.file("outside"));
        writeFile(m_temp.file("outside/canary.txt"), "untouched");
    }

    // Everything in the temporary folder but the protected folder's contents.
    Tree outsideOfData()
    {
        Tree all = treeOf(m_temp.path());
        std::erase_if(all, [](const auto& entry) { return entry.first.rfind("data/", 0) == 0; });
        return all;
    }

    // Restores the archive from a slot over the protected folder, which holds one file. Nothing
    // outside it changes, a refused archive leaves it as it was, and the one message says it worked
    // exactly when it did.
    RestoreOutcome restore(const std::string& archive)
    {
        const std::string archivePath = core::archivePathInSlot(core::monthSlotPath(m_state.programFolder, 5));
        writeFile(archivePath, archive);
        removeAll(m_data);
        makeFolder(m_data);
        writeFile(m_data + "/keep.txt", "the person's data");
        const Tree outsideBefore = outsideOfData();
        RealServices real;
        const RestoreOutcome outcome = core::restore::RestoreArchive(m_state, real.services, archivePath, m_data, 1);

        EXPECT_EQ(outsideOfData(), outsideBefore) << "written outside the target";
        if (outcome == RestoreOutcome::ArchiveRejected) {
            EXPECT_EQ(treeOf(m_data), (Tree{{"keep.txt", "the person's data"}})) << "a refused archive touched it";
        }
        const auto shown = real.dialogs.messages();
        EXPECT_EQ(shown.size(), 1u);
        m_message = shown.empty() ? std::string() : shown[0].text;
        EXPECT_EQ(m_message == core::restore::restoredText(archivePath, m_data), outcome == RestoreOutcome::Restored)
            << m_message;
        return outcome;
    }

    TempFolder m_temp;
    std::string m_data = m_temp.file("data");
    core::AppState m_state;
    std::string m_message; // of the last restore
};

TEST_F(HostileSlot, NoArchiveOfTheHostileCorpusWritesOutsideItsTargetOrPassesAFailureAsSuccess)
{
    std::map<std::string, RestoreOutcome> outcomes;
    for (const auto& entry : fs::directory_iterator(platform::toPath(FERNHOLD_TEST_DATA_DIR "/lzh"))) {
        const std::string name = platform::fromPath(entry.path().stem());
        SCOPED_TRACE(name);
        if (entry.path().extension() == ".lzh")
            outcomes[name] = restore(readFile(platform::fromPath(entry.path())));
    }
    // The broken ones, and the name climbing out with "..", never come out.
    for (const char* name : {"empty", "data-crc-wrong", "dotdot-name", "huge-claimed-size",
                             "huge-original-small-packed", "lh1-cut-short", "lz4-sizes-differ", "not-lzh",
                             "sfx-fake-header", "truncated-in-data", "truncated-in-header", "unsupported-method"})
        EXPECT_EQ(outcomes[name], RestoreOutcome::ArchiveRejected) << name;
}

// A link is made as a link wherever it points; a member below one is refused, with the reason,
// before anything is cleared, so nothing is ever written through it. No target is a system folder:
// a fault in the clearing would empty it through the link.
TEST_F(HostileSlot, ALinkOutOfTheTargetFollowedByAFileThroughItIsRefused)
{
    for (const std::string& target : {std::string("../outside"), m_temp.file("outside"), std::string("d/l1/../..")}) {
        SCOPED_TRACE(target);
        const std::string link = lzh::test::linkMember("escape", target);
        EXPECT_EQ(restore(link + lzh::test::storedFile("escape/deeper/pwned.txt", "through the link") + '\0'),
                  RestoreOutcome::ArchiveRejected);
        EXPECT_NE(m_message.find("フォルダの外を指すファイルが含まれています。"), std::string::npos) << m_message;
#ifndef _WIN32
        EXPECT_EQ(restore(link + '\0'), RestoreOutcome::Restored);
        EXPECT_EQ(platform::fromPath(fs::read_symlink(platform::toPath(m_data + "/escape"))), target);
#endif
    }
}

} // namespace
