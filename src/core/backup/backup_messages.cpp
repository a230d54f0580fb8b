#include "core/backup/backup_messages.h"

#include "core/common/product.h"

namespace core {
namespace {

constexpr const char* kCR = "\r";

std::string titled(const char* operation)
{
    return std::string(kProductName) + "：　" + operation;
}

std::string sourceMissingText(const std::string& source, const std::string& slot)
{
    const std::string what = source.empty()
                                 ? std::string("バックアップするフォルダが設定されていないため")
                                 : "バックアップするフォルダ " + source + " が見つからないか読み込めないため";
    return what + "、" + kCR + slot + " にバックアップできませんでした";
}

} // namespace

std::string nowbackTitle()
{
    return titled("現状をバックアップ");
}

std::string daybackTitle()
{
    return titled("本日をバックアップ");
}

std::string scheduledBackupTitle()
{
    return titled("自動バックアップ");
}

std::string backupDoneText(const std::string& source, const std::string& slot)
{
    return source + " を " + kCR + slot + " にバックアップしました";
}

std::string backupReportText(const CompressOutcome& outcome, const std::string& source, const std::string& slot)
{
    switch (outcome.result) {
    case BackupResult::Written:
        return backupDoneText(source, slot);
    case BackupResult::WrittenWithoutSome:
        return backupDoneText(source, slot) + "が、" + kCR + "読み込めなかったファイル " +
               std::to_string(outcome.archive.memberFailures.size()) + " 個は含まれていません";
    case BackupResult::SourceMissing:
        return sourceMissingText(source, slot);
    case BackupResult::Cancelled:
        return source + " を " + kCR + slot + " にバックアップする処理を中止しました";
    case BackupResult::NotWritten:
        break;
    }
    return source + " を " + kCR + slot +
           " にバックアップできませんでした（バックアップファイルを書き込めませんでした）";
}

} // namespace core
