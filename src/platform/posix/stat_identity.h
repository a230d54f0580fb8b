#pragma once
// A file's identity from what stat gave, for the listing and fileIdentity alike.

#include "platform/file_io.h"

#include <sys/stat.h>

namespace platform {

FileIdentity identityOf(const struct stat& info);

} // namespace platform
