#pragma once

#include "platform/security_port.h"
#include "platform/trace_port.h"

namespace platform {

class Win32Security final : public SecurityPort {
public:
    explicit Win32Security(TracePort& trace) : m_trace(trace) {}
    ~Win32Security() override;
    Win32Security(const Win32Security&) = delete;
    Win32Security& operator=(const Win32Security&) = delete;

    bool IsUserAdmin() override;
    bool IsWow64() override;
    bool CreateSingleInstanceMutex(const std::string& name) override;
    bool OpenEndEvent(const std::string& name) override;
    bool EndEventSignalled() override;

private:
    TracePort& m_trace;
    void* m_endEvent = nullptr;
};

} // namespace platform
