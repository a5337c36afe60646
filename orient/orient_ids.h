#pragma once

#include "common/program_contract.h"

#include <cstdint>
#include <string_view>

namespace orient {

// What the pipe's reader thread posts to the window (WM_APP and on).
inline constexpr std::uint32_t kFrameArrived = 0x8000 + 1;
inline constexpr std::uint32_t kPipeEnded = 0x8000 + 2;

// Section of Language.ini with every text this program shows.
inline constexpr std::string_view kLanguageSection = "Orient";

} // namespace orient
