#include "core/restore/restore_messages.h"

#include "core/common/product.h"

namespace core::restore {
namespace {

const char* const kCr = "\r";

const char* targetNoun(Purpose purpose)
{
    return purpose == Purpose::Restore ? "復元先" : "コピー先";
}

const char* operationNoun(Purpose purpose)
{
    return purpose == Purpose::Restore ? "復元" : "コピー";
}

// The archiver's own words, when it gave any, on a line of their own.
std::string detailLine(const std::string& detail)
{
    return detail.empty() ? std::string() : std::string(kCr) + "（" + detail + "）";
}

const char* problemText(ArchiveProblem problem)
{
    switch (problem) {
    case ArchiveProblem::Unreadable:
        return "が見つからないか、読み取れません。";
    case ArchiveProblem::Corrupt:
        return "は壊れています。";
    case ArchiveProblem::DamagedMembers:
        return "には壊れたファイルが含まれています。";
    case ArchiveProblem::Untestable:
        break;
    }
    return "を検査できませんでした。";
}

const char* problemText(ExtractionProblem problem)
{
    switch (problem) {
    case ExtractionProblem::NotWritten:
        return "ファイルを書き込めませんでした。";
    case ExtractionProblem::SomeMembers:
        return "一部のファイルを取り出せませんでした。";
    case ExtractionProblem::Other:
        break;
    }
    return "ファイルを取り出せませんでした。";
}

const char* failedOutcome(Purpose purpose)
{
    return purpose == Purpose::Restore ? " に復元できませんでした！" : " に読込めませんでした！";
}

// Megabytes with one decimal, rounded up, so that a shortfall never reads as equal amounts.
std::string megabytes(std::uint64_t bytes)
{
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    const std::uint64_t tenths = bytes / kMegabyte * 10 + (bytes % kMegabyte * 10 + kMegabyte - 1) / kMegabyte;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

} // namespace

std::string restoreTitle()
{
    return std::string(kProductName) + "：　復元する";
}

std::string copyTitle()
{
    return std::string(kProductName) + "：　保存ファイルのコピー";
}

std::string chooserTitle()
{
    return std::string(kProductName) + "：　　コピー先フォルダを指定する";
}

std::string confirmationText(const std::string& description)
{
    return description + "の　データを復元します。" + kCr + kCr + "現在のデータは上書きされてなくなります。" + kCr +
           kCr + "それでも　実行しますか？";
}

std::string replacedWhileAskingText(const std::string& description, const std::string& targetFolder)
{
    return description + "の　バックアップは　確認の間に　新しいバックアップで置き換えられました。" + kCr + kCr +
           "復元を中止しました。　" + targetFolder + " は変更していません。" + kCr + kCr +
           "もう一度　復元するデータを選んでください。";
}

std::string restoredText(const std::string& archivePath, const std::string& targetFolder)
{
    return archivePath + " を " + kCr + targetFolder + " に復元しました";
}

std::string copiedText(const std::string& slotPath, const std::string& destination)
{
    return slotPath + " を " + kCr + destination + " に読込みました";
}

std::string clearDestinationQuestion(const std::string& destination)
{
    return destination + " の中身は　すべて削除されます。" + kCr + kCr + "削除してから　バックアップをコピーします。" +
           kCr + kCr + "それでも　実行しますか？";
}

std::string refusalText(TargetRefusal refusal, const std::string& folder, Purpose purpose)
{
    if (refusal == TargetRefusal::Empty)
        return std::string(targetNoun(purpose)) + "のフォルダが指定されていません！";
    return folder + " は" + kCr + refusalReason(refusal) + "ので　" + targetNoun(purpose) + "にできません！";
}

std::string archiveRejectedText(const std::string& archivePath, ArchiveProblem problem, const std::string& detail,
                                const std::string& folder, Purpose purpose)
{
    return archivePath + " " + problemText(problem) + detailLine(detail) + kCr + kCr + operationNoun(purpose) +
           "を中止しました。　" + folder + " は変更していません。";
}

std::string unsafeArchiveText(const std::string& archivePath, const std::string& member, const std::string& folder,
                              Purpose purpose)
{
    return archivePath + " には　フォルダの外を指すファイルが含まれています。" + detailLine(member) + kCr + kCr +
           operationNoun(purpose) + "を中止しました。　" + folder + " は変更していません。";
}

std::string folderUnusableText(const std::string& folder, const std::string& reason, Purpose purpose)
{
    return folder + " を使えません。" + detailLine(reason) + kCr + kCr + operationNoun(purpose) + "を中止しました。　" +
           "何も削除していません。";
}

std::string notEnoughSpaceText(const std::string& source, const std::string& folder, std::uint64_t needed,
                               std::uint64_t room, Purpose purpose)
{
    return source + " を " + kCr + folder + failedOutcome(purpose) + kCr + kCr + "ドライブの空きが足りません。" +
           detailLine("必要 " + megabytes(needed) + "、今の中身を削除した後の空き " + megabytes(room)) + kCr + kCr +
           operationNoun(purpose) + "を中止しました。　" + folder + " は変更していません。";
}

std::string extractionFailedText(const std::string& source, const std::string& folder, ExtractionProblem problem,
                                 const std::string& detail, Purpose purpose)
{
    return source + " を " + kCr + folder + failedOutcome(purpose) + kCr + kCr + problemText(problem) +
           detailLine(detail);
}

} // namespace core::restore
