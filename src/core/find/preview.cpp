#include "core/find/preview.h"

namespace core::find {

Preview previewVersion(const HistoryIndex&, const std::string&, const Version&, std::size_t)
{
    return {};
}

Preview classifyContent(std::string, std::uint64_t, bool)
{
    return {};
}

} // namespace core::find
