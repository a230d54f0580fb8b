#pragma once
// std::filesystem reports failures as std::error_code; the core passes them on as base::Status
// with the reason a person reads as detail (platform::errorText).

#include "base/status.h"

#include <string>
#include <system_error>

namespace core {

base::Status statusFromError(const std::error_code& error, const std::string& path);

} // namespace core
