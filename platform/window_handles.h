#pragma once

#include <cstdint>

namespace platform {

// Opaque window and icon handles; 0 is none.
using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using ImageListHandle = std::uintptr_t;

inline constexpr WindowHandle kNoWindow = 0;

} // namespace platform
