#pragma once
// A file-system failure's reason as the person reads it: the program's own Japanese words for
// the causes a person can act on, the system's text for the rest.

#include <string>
#include <system_error>

namespace platform {

std::string errorText(const std::error_code& error);

} // namespace platform
