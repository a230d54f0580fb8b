#pragma once
// Whether a standard stream is an interactive terminal (progress is drawn only there).

#include <cstdio>

namespace platform {

bool isTerminal(std::FILE* stream);

} // namespace platform
