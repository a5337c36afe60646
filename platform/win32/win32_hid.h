#pragma once

#include "platform/hid_port.h"
#include "platform/trace_port.h"

namespace platform {

class Win32HidPort final : public HidPort {
public:
    explicit Win32HidPort(TracePort& trace) : m_trace(trace) {}

    void EnumerateInterfaces(const std::function<bool(const HidInterface&)>& visit) override;
    bool IsPresent(const std::string& path) override;
    HidHandle OpenRead(const std::string& path) override;
    HidHandle OpenWrite(const std::string& path) override;
    std::size_t Read(HidHandle handle, std::span<std::uint8_t> report) override;
    bool Write(HidHandle handle, std::span<const std::uint8_t> report) override;
    void Close(HidHandle handle) override;
    void CancelReads(HidHandle handle) override;
    bool SetInputBufferCount(HidHandle handle, std::uint32_t count) override;

private:
    // Each present interface's path until visit returns true.
    void VisitPaths(const std::function<bool(const std::string&)>& visit);
    HidHandle Open(const std::string& path, std::uint32_t access, std::uint32_t share);

    TracePort& m_trace;
};

} // namespace platform
