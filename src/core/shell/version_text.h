#pragma once

#include <string>

namespace core {

// The version box's text: "Ver " + major + "." + minor, the revision written straight after the
// minor number (1.1.3 gives "Ver 1.13").
std::string versionText(int major, int minor, int revision);

} // namespace core
