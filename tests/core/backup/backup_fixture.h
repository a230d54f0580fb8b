#pragma once
// A program folder and a protected folder in a temporary folder, fake services, and an archiver
// that writes a stand-in archive wherever an add command points.

#include "core/app_state.h"
#include "core/archive/unlha.h"
#include "core/settings/setup_file.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

#include <string>
#include <utility>
#include <vector>

namespace fernhold::test {

inline const std::string kSep(1, platform::kSeparator);

class BackupFixture {
public:
    BackupFixture()
    {
        state.programFolder = temp.file("Fernhold");
        source = temp.file("データ");
        makeFolder(state.programFolder);
        makeFolder(source);
        writeFile(platform::joinPath(source, "a.txt"), "a");
        state.setup.BackupFolder = source + kSep;
        state.setup.MonthBackTime = "08:00";
        fakes.clock.set(2004, 5, 14, 10, 30, 0);
        writeArchivesOnAdd("new");
    }

    // Each add command leaves content at its archive path, as a successful pack would.
    void writeArchivesOnAdd(std::string content)
    {
        fakes.archiver.setOnRun([content](const core::archive::UnlhaCommand& command) {
            if (command.command == 'a')
                writeFile(command.archive, content);
        });
    }

    // The slot paths' own spelling is checked where the restore tests lay slots out by hand.
    std::string daySlot(int n) const { return core::daySlotPath(state.programFolder, n); }
    std::string monthSlot(int d) const { return core::monthSlotPath(state.programFolder, d); }
    std::string setupFile() const { return core::setupFilePath(state.programFolder); }

    // The two messages of a backup, word for word.
    std::string doneText(const std::string& slot) const { return source + " を \r" + slot + " にバックアップしました"; }
    std::string failedText(const std::string& slot) const
    {
        return source + " を \r" + slot +
               " にバックアップできませんでした（バックアップファイルを書き込めませんでした）";
    }

    // Makes a slot folder (and its parent) holding these files.
    void fillSlot(const std::string& slot, const std::vector<std::pair<std::string, std::string>>& files)
    {
        makeFolder(slot.substr(0, slot.rfind(platform::kSeparator)));
        makeFolder(slot);
        for (const auto& [name, bytes] : files)
            writeFile(slot + kSep + name, bytes);
    }

    TempFolder temp;
    FakeServices fakes;
    core::AppState state;
    std::string source;
};

} // namespace fernhold::test
