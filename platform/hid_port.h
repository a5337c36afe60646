#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace platform {

// An open HID handle; 0 is none, never an invalid-handle value.
using HidHandle = std::uintptr_t;
inline constexpr HidHandle kNoHidHandle = 0;

struct HidIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    friend bool operator==(const HidIds&, const HidIds&) = default;
};

// One present HID interface; ids is empty when its attributes could not be
// read (the query-only open or the attribute read failed). The report sizes
// count the report ID byte; 0 when the device's capabilities could not be read.
struct HidInterface {
    std::string path;
    std::optional<HidIds> ids;
    std::uint16_t inputReportSize = 0;
    std::uint16_t outputReportSize = 0;
};

// HID interfaces of the system: enumeration, synchronous handles, reports.
class HidPort {
public:
    virtual ~HidPort() = default;

    // Calls visit for each present interface in enumeration order until it
    // returns true. Interfaces whose path cannot be read are skipped; a
    // failed allocation ends the enumeration.
    virtual void EnumerateInterfaces(const std::function<bool(const HidInterface&)>& visit) = 0;
    // Whether an interface of this path is present; nothing is opened.
    virtual bool IsPresent(const std::string& path) = 0;

    // Synchronous handles; none on failure. Reading shares read, write and
    // delete; writing shares read and write.
    virtual HidHandle OpenRead(const std::string& path) = 0;
    virtual HidHandle OpenWrite(const std::string& path) = 0;
    // Blocks until a report arrives; bytes read, 0 on failure. A read
    // blocked on a handle that another thread closes returns 0.
    virtual std::size_t Read(HidHandle handle, std::span<std::uint8_t> report) = 0;
    virtual bool Write(HidHandle handle, std::span<const std::uint8_t> report) = 0;
    virtual void Close(HidHandle handle) = 0;
    // Ends a read blocked on the handle with 0 bytes, leaving it open.
    virtual void CancelReads(HidHandle handle) = 0;
    // How many input reports the system keeps for a read handle while
    // nobody reads; false when the count is refused.
    virtual bool SetInputBufferCount(HidHandle handle, std::uint32_t count) = 0;
};

} // namespace platform
