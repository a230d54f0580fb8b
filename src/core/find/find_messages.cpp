#include "core/find/find_messages.h"

#include "core/common/product.h"

namespace core::find {

std::string findTitle()
{
    return std::string(kProductName) + "：　" + kWindowCaption;
}

std::string damagedSlotsText(const std::vector<DamagedSlot>&)
{
    return {};
}

std::string currentStateText(const CurrentState&)
{
    return {};
}

std::string overwriteQuestionText(const std::string&, Overwrite)
{
    return {};
}

} // namespace core::find
