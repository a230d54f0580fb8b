#pragma once
// Texts and numbers that name the product; every message title is built from kProductName.

namespace core {

inline constexpr const char* kProductName = "つむぎ君";
inline constexpr const char* kSetupHeader = "Lumo-Tree Setup v1.1";

} // namespace core
