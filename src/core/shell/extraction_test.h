#pragma once
// The main window's hidden "debug" item: unpacks a fixed archive into a fixed folder through the
// archive runner and reports nothing. Where those paths do not exist it simply does nothing.

#include "core/app_state.h"

#include <string>

namespace core {

inline constexpr const char* kExtractionTestArchive = "D:\\My Documents\\Fernhold\\MonthBack\\mback24\\BackUp.lzh";
// Already ends in a separator, so none is appended.
inline constexpr const char* kExtractionTestTarget = "D:\\My Documents\\Fernhold\\MonthBack\\mback24\\bb\\";

std::string extractionTestCommand();

void runExtractionTest(AppState& state, Services& services);

} // namespace core
