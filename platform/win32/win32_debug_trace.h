#pragma once

#include "platform/trace_port.h"

namespace platform {

// Failures to the debugger's output (DebugView, or Wine's +debugstr channel).
class Win32DebugTrace final : public TracePort {
public:
    void Failure(std::string_view call, std::uint32_t error, std::string_view subject) override;
};

} // namespace platform
