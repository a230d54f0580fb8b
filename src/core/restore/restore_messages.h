#pragma once
// Every text the restore window, the restore and the copy show. Line breaks are lone CRs.

#include "core/restore/target_guard.h"

#include <cstdint>
#include <string>

namespace core::restore {

inline constexpr const char* kRestoringTitle = "復元中";
inline constexpr const char* kNoBackupText = "指定された場所には　バックアップされた情報がありません！";
inline constexpr const char* kFolderNotFoundText = "指定されたフォルダが見つかりません！";
inline constexpr const char* kChooserInstruction = "コピー先のフォルダをクリックします";
inline constexpr const char* kCopyButtonCaption = "フォルダを指定してコピー";
inline constexpr const char* kRestoreByDateCaption = "指定日付の復元（上書き）";
inline constexpr const char* kRestoreByTimeCaption = "指定時刻の復元（上書き）";

// Which operation a shared message speaks of.
enum class Purpose { Restore, Copy };

std::string restoreTitle(); // product name + "：　復元する"
std::string copyTitle();    // product name + "：　保存ファイルのコピー"
std::string chooserTitle(); // product name + "：　　コピー先フォルダを指定する"

std::string confirmationText(const std::string& description);
// The slot was written again while the overwrite question was open; nothing was restored.
std::string replacedWhileAskingText(const std::string& description, const std::string& targetFolder);
std::string restoredText(const std::string& archivePath, const std::string& targetFolder);
std::string copiedText(const std::string& slotPath, const std::string& destination);

// The question before the copy clears a folder that is not the working folder.
std::string clearDestinationQuestion(const std::string& destination);

std::string refusalText(TargetRefusal refusal, const std::string& folder, Purpose purpose);

// What was wrong with an archive that failed its test.
enum class ArchiveProblem { Unreadable, Corrupt, DamagedMembers, Untestable };

// What went wrong when an archive that passed its test was extracted.
enum class ExtractionProblem { NotWritten, SomeMembers, Other };

// The archive failed its test; folder was left as it was. detail: the archiver's own words, on a
// line of their own when not empty.
std::string archiveRejectedText(const std::string& archivePath, ArchiveProblem problem, const std::string& detail,
                                const std::string& folder, Purpose purpose);

// The archive holds a member that would come out elsewhere than the folder; folder was left as it
// was.
std::string unsafeArchiveText(const std::string& archivePath, const std::string& member, const std::string& folder,
                              Purpose purpose);

// The folder could not be read, or not created; nothing was deleted.
std::string folderUnusableText(const std::string& folder, const std::string& reason, Purpose purpose);

// The archive's files would take more than the folder's volume has, counting what clearing the
// folder gives back; nothing was deleted. Sizes in bytes.
std::string notEnoughSpaceText(const std::string& source, const std::string& folder, std::uint64_t needed,
                               std::uint64_t room, Purpose purpose);

// The archive passed its test but did not come out whole.
std::string extractionFailedText(const std::string& source, const std::string& folder, ExtractionProblem problem,
                                 const std::string& detail, Purpose purpose);

} // namespace core::restore
