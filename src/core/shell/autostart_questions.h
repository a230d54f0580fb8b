#pragma once
// The Setup dialog's two autostart menu items: a Yes/No question, then the platform's
// registration. Nothing is shown afterwards; registration failures pass silently.

#include "core/common/dialogs.h"

#include <string>

namespace core {

inline constexpr const char* kAutostartTitle = "つむぎ君：自動起動の設定";
inline constexpr const char* kAutostartSetQuestion = "Windows の起動時に［つむぎ君］を自動で起動しますか？";
inline constexpr const char* kAutostartRemoveQuestion = "［つむぎ君］の自動起動を解除しますか？";

// "自動起動設定": on Yes, registers programFolder's executable to start at logon.
void menuAuto_Click(Dialogs& dialogs, const std::string& programFolder);

// "自動起動解除": on Yes, removes the registration.
void menuManu_Click(Dialogs& dialogs);

} // namespace core
