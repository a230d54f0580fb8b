#include "core/find/current_state.h"

namespace core::find {

CurrentState currentState(const std::string&, const std::string&, const std::vector<Version>&)
{
    return {};
}

Overwrite overwriteQuestion(const std::string&, const Version&)
{
    return Overwrite::Nothing;
}

} // namespace core::find
