#include "core/find/find_messages.h"

#include "core/common/product.h"

namespace core::find {
namespace {

const char* const kCr = "\r";

std::string shown(const std::string& path)
{
    return path.empty() ? std::string("世代全体") : path;
}

std::string detailLine(const std::string& detail)
{
    return detail.empty() ? std::string() : std::string(kCr) + "（" + detail + "）";
}

// Megabytes with one decimal, rounded up, so that a shortfall never reads as equal amounts.
std::string megabytes(std::uint64_t bytes)
{
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    const std::uint64_t tenths = bytes / kMegabyte * 10 + (bytes % kMegabyte * 10 + kMegabyte - 1) / kMegabyte;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

std::string notRestored(const std::string& path, const std::string& target)
{
    return shown(path) + " を " + kCr + target + " に復元できませんでした！";
}

// Why one member was not written, in words.
std::string failureLine(const base::Status& failure)
{
    const std::string why = failure.code() == base::ErrorCode::InvalidArgument ? "フォルダの外を指す名前のため"
                            : failure.code() == base::ErrorCode::Corrupt ? "バックアップが壊れているため"
                                                                         : "書き込めなかったため";
    return failure.path() + " は" + why + "取り出していません。";
}

} // namespace

std::string findTitle()
{
    return std::string(kProductName) + "：　" + kWindowCaption;
}

std::string damagedSlotsText(const std::vector<DamagedSlot>& damaged)
{
    if (damaged.empty())
        return {};
    std::string names;
    for (const DamagedSlot& slot : damaged)
        names += (names.empty() ? "" : "、") + slot.name;
    return std::string("次の世代は　バックアップが壊れているため　一覧に含めていません。") + kCr + names;
}

std::string currentStateText(const CurrentState& state)
{
    switch (state.state) {
    case FileState::Same:
        return "現在のファイルは　" + std::to_string(state.version + 1) + " 番目の版と同じです。";
    case FileState::Changed:
        return "現在のファイルは　どの版とも異なります（変更されています）。";
    case FileState::Gone:
        break;
    }
    return "現在のファイルはありません（削除されています）。";
}

std::string overwriteQuestionText(const std::string& targetFile, Overwrite overwrite)
{
    const char* which = nullptr;
    switch (overwrite) {
    case Overwrite::Nothing:
    case Overwrite::Identical:
        return {};
    case Overwrite::BackupNewer:
        which = "選んだ版のほうが　新しい日時です。";
        break;
    case Overwrite::CurrentNewer:
        which = "現在のファイルのほうが　新しい日時です。";
        break;
    case Overwrite::SameTime:
        which = "日時は同じですが　内容が異なります。";
        break;
    }
    return targetFile + " は　選んだ版と異なります。" + kCr + which + kCr + kCr + "上書きしますか？";
}

std::string folderOverwriteQuestionText(const std::string& folder, const std::string& slotName,
                                        const Overwrites& overwrites)
{
    if (overwrites.differing == 0)
        return {};
    std::string text = folder + " の　" + std::to_string(overwrites.differing) + " 個のファイルは　" + slotName +
                       " のものと異なり、上書きされます。";
    if (overwrites.currentNewer > 0)
        text += std::string(kCr) + "うち " + std::to_string(overwrites.currentNewer) +
                " 個は　現在のファイルのほうが新しい日時です。";
    return text + kCr + kCr + "上書きしますか？";
}

std::string restoredFromHistoryText(const std::string& path, const std::string& slotName, const std::string& target)
{
    return slotName + " の " + shown(path) + " を " + kCr + target + " に復元しました";
}

std::string nothingToRestoreText(const std::string& path)
{
    return "選んだ世代には　" + shown(path) + " がありません！";
}

std::string targetRefusedText(const std::string& target, const std::string& reason)
{
    if (reason.empty())
        return "復元先のフォルダが指定されていません！";
    return target + " は" + kCr + reason + "ので　復元先にできません！";
}

std::string notEnoughRoomText(const std::string& path, const std::string& target, std::uint64_t needed,
                              std::uint64_t room)
{
    return notRestored(path, target) + kCr + kCr + "ドライブの空きが足りません。" +
           detailLine("必要 " + megabytes(needed) + "、空き " + megabytes(room)) + kCr + kCr +
           "復元を中止しました。　" + target + " は変更していません。";
}

std::string unreadableArchiveText(const std::string& archivePath, const std::string& detail, const std::string& target,
                                  bool partly)
{
    return archivePath + " が見つからないか、読み取れません。" + detailLine(detail) + kCr + kCr +
           (partly ? target + " には　読み取れた分だけが復元されています。"
                   : "復元を中止しました。　" + target + " は変更していません。");
}

std::string someFailedText(const std::string& path, const std::string& target,
                           const std::vector<base::Status>& failures)
{
    std::string text = notRestored(path, target) + kCr + kCr + "一部のファイルを取り出せませんでした。";
    constexpr std::size_t kShown = 5;
    for (std::size_t i = 0; i < failures.size() && i < kShown; ++i)
        text += kCr + failureLine(failures[i]);
    if (failures.size() > kShown)
        text += std::string(kCr) + "ほか " + std::to_string(failures.size() - kShown) + " 件";
    return text;
}

std::string restoreCancelledText(const std::string& path, const std::string& target)
{
    return shown(path) + " の復元を中止しました。" + kCr + target + " には　中止までに取り出した分が復元されています。";
}

} // namespace core::find
