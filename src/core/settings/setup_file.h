#pragma once
// setup.def: reading, writing and the defaults. The file is 92 lines ended by CRLF: the header,
// BackupFolder, MonthBackOption(0..7), MonthBackTime, MonthBackTimeIndex, DayBackHour(0..23),
// DayBackSlot, DayBackDate(0..23), MonthBackDate(0..30). docs/setup-def.md gives the forms.

#include "base/status.h"
#include "core/common/dialogs.h"
#include "core/settings/setup_record.h"

#include <string>
#include <string_view>

namespace core {

// Every field but MonthBackDate to its default; BackupFolder = program folder + sep + "TmpRead".
void ApplyDefaults(SetupRecord& record, const std::string& programFolder);

// The file's bytes for a record: CP932 when every text fits, else UTF-8 with a byte-order mark.
std::string serializeSetup(const SetupRecord& record);

// Reads the file's bytes into record, field by field in file order; fields before the first bad
// line keep the values read. Corrupt for any malformed content. Pure: touches nothing but record.
base::Status parseSetup(std::string_view bytes, SetupRecord& record);

// Loads program folder + sep + "setup.def". On any failure: the message box
// "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました" titled with the product
// name, then ApplyDefaults and SaveSetup. Returns false when the failure path was taken; then
// rewriteStatus, when given, receives SaveSetup's result (ok otherwise).
bool LoadSetup(const std::string& programFolder, SetupRecord& record, Dialogs& dialogs,
               base::Status* rewriteStatus = nullptr);

// Replaces setup.def whole and atomically with the record. InvalidArgument, and the file left
// as it was, when a text holds a control character (a line break in a folder name).
base::Status SaveSetup(const std::string& programFolder, const SetupRecord& record);

std::string setupFilePath(const std::string& programFolder);

// What a person is told when SaveSetup failed: the record in memory is still right, but the file
// (and with it the slot bookkeeping) did not follow.
std::string saveFailureText(const base::Status& failure);

} // namespace core
