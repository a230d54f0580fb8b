#pragma once
// The restore window frmReload without its widgets: the slot list of the current mode, the
// selected entry, the folder shown in Dir1 and File1, SlotPath, the title, and the Activated gate
// that keeps the list and the folder list apart while the window loads.

#include "core/common/date_time.h"
#include "core/common/locale_format.h"
#include "core/settings/setup_record.h"

#include <optional>
#include <string>
#include <vector>

namespace core::restore {

// A recorded time in the user's general date format: date and time, the date alone at
// midnight, the time alone for a value without a date (a slot never written shows 0:00:00).
std::string recordedTimeText(DateTime value, const LocaleFormat& locale);

// "..<sep>" and SlotPath from the program folder's own name on.
std::string reloadWindowTitle(const std::string& programFolder, const std::string& slotPath);

class ReloadModel {
public:
    // Form_Load: ReturnMode 0 works by date (MonthBack), anything else by time (DayBack). Opens
    // on entry 0 and its slot in both modes, not yet activated.
    ReloadModel(std::string programFolder, int ReturnMode, const SetupRecord& setup, const LocaleFormat& locale);

    bool byDate() const { return m_byDate; }
    const std::vector<std::string>& entries() const { return m_entries; }
    std::string restoreButtonCaption() const;

    int selectedEntry() const { return m_selected; }
    const std::string& dirFolder() const { return m_dirFolder; }   // Dir1
    const std::string& fileFolder() const { return m_fileFolder; } // File1
    const std::string& slotPath() const { return m_slotPath; }
    std::string title() const { return reloadWindowTitle(m_programFolder, m_slotPath); }
    bool activated() const { return m_activated; }

    // Form_Activate.
    void activate() { m_activated = true; }

    // cmb01_Click: ignored before activation and for an index outside the list.
    void entryClicked(int index);

    // Dir1_Change: File1 always follows; once activated, a folder whose name ends in the number
    // of an entry selects that entry and moves Dir1 to its slot.
    void folderChanged(const std::string& folder);

    // The slot of entry index in the current mode.
    std::string slotForEntry(int index) const;

    // The entry a folder's last two characters name, if they are two digits naming one.
    std::optional<int> entryForFolder(const std::string& folder) const;

    // The selected slot's stamp in setup (MonthBackDate or DayBackDate), as it is now.
    DateTime selectedStamp(const SetupRecord& setup) const;

    // The start of the confirmation: "05日" by date, "時刻 = <recorded time>  " by time, the time
    // read from setup as it is now (a backup may have written the slot since the list was filled).
    std::string description(const SetupRecord& setup, const LocaleFormat& locale) const;

private:
    std::string m_programFolder;
    bool m_byDate;
    std::vector<std::string> m_entries;
    int m_selected = 0;
    std::string m_dirFolder;
    std::string m_fileFolder;
    std::string m_slotPath;
    bool m_activated = false;
};

} // namespace core::restore
