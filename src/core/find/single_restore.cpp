#include "core/find/single_restore.h"

namespace core::find {

RestoreResult restoreFromHistory(const HistoryIndex&, const RestoreRequest&, const std::atomic<bool>*)
{
    return {};
}

} // namespace core::find
