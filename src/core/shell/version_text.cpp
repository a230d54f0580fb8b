#include "core/shell/version_text.h"

namespace core {

std::string versionText(int major, int minor, int revision)
{
    return "Ver " + std::to_string(major) + "." + std::to_string(minor) + std::to_string(revision);
}

} // namespace core
