#include "core/restore/reload_model.h"

#include "core/restore/restore_messages.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"

namespace core::restore {

std::string recordedTimeText(DateTime value, const LocaleFormat& locale)
{
    const CivilTime civil = value.civil();
    const std::string time = locale.longTime(civil.hour, civil.minute, civil.second);
    if (!value.hasDatePart())
        return time;
    const std::string date = locale.shortDate(civil.year, civil.month, civil.day);
    return value.isMidnight() ? date : date + " " + time;
}

std::string reloadWindowTitle(const std::string& programFolder, const std::string& slotPath)
{
    const std::size_t separator = programFolder.rfind(platform::kSeparator);
    const std::size_t tailStart = separator == std::string::npos ? 0 : separator + 1;
    const std::string tail = tailStart <= slotPath.size() ? slotPath.substr(tailStart) : slotPath;
    return std::string("..") + platform::kSeparator + tail;
}

ReloadModel::ReloadModel(std::string programFolder, int ReturnMode, const SetupRecord& setup,
                         const LocaleFormat& locale)
    : m_programFolder(std::move(programFolder)), m_byDate(ReturnMode == 0)
{
    if (m_byDate) {
        for (int day = 1; day <= kMonthSlotCount; ++day)
            m_entries.push_back(twoDigits(day) + "日  " + recordedTimeText(setup.MonthBackDate[day - 1], locale));
    } else {
        for (int slot = 0; slot < kDaySlotCount; ++slot)
            m_entries.push_back(twoDigits(slot) + ": " + recordedTimeText(setup.DayBackDate[slot], locale));
    }
    m_dirFolder = slotForEntry(0);
    m_fileFolder = m_dirFolder;
    m_slotPath = m_dirFolder;
}

std::string ReloadModel::restoreButtonCaption() const
{
    return m_byDate ? kRestoreByDateCaption : kRestoreByTimeCaption;
}

void ReloadModel::entryClicked(int index)
{
    if (!m_activated || index < 0 || index >= static_cast<int>(m_entries.size()))
        return;
    m_selected = index;
    m_dirFolder = slotForEntry(index);
    m_fileFolder = m_dirFolder;
    m_slotPath = m_dirFolder;
}

void ReloadModel::folderChanged(const std::string& folder)
{
    m_dirFolder = folder;
    m_fileFolder = folder;
    if (!m_activated)
        return;
    if (const std::optional<int> entry = entryForFolder(folder))
        entryClicked(*entry);
}

std::string ReloadModel::slotForEntry(int index) const
{
    return m_byDate ? monthSlotPath(m_programFolder, index + 1) : daySlotPath(m_programFolder, index);
}

std::optional<int> ReloadModel::entryForFolder(const std::string& folder) const
{
    if (folder.size() < 2)
        return std::nullopt;
    const char tens = folder[folder.size() - 2];
    const char units = folder[folder.size() - 1];
    if (tens < '0' || tens > '9' || units < '0' || units > '9')
        return std::nullopt;
    const int number = (tens - '0') * 10 + (units - '0');
    const int entry = m_byDate ? number - 1 : number;
    if (entry < 0 || entry >= static_cast<int>(m_entries.size()))
        return std::nullopt;
    return entry;
}

DateTime ReloadModel::selectedStamp(const SetupRecord& setup) const
{
    return m_byDate ? setup.MonthBackDate[m_selected] : setup.DayBackDate[m_selected];
}

std::string ReloadModel::description(const SetupRecord& setup, const LocaleFormat& locale) const
{
    if (m_byDate)
        return twoDigits(m_selected + 1) + "日";
    return "時刻 = " + recordedTimeText(selectedStamp(setup), locale) + "  ";
}

} // namespace core::restore
