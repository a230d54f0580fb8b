#pragma once
// std::filesystem reports failures as std::error_code; the core passes them on as base::Status
// with the system's reason as detail.

#include "base/status.h"

#include <string>
#include <system_error>

namespace core {

base::Status statusFromError(const std::error_code& error, const std::string& path);

} // namespace core
