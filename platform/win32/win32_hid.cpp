#include <windows.h>

#include <setupapi.h>
// hidsdi.h lacks its own extern "C" guard.
extern "C" {
#include <hidsdi.h>
}

#include "platform/win32/win32_hid.h"

#include <cstdlib>

namespace platform {
namespace {

HANDLE Native(HidHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// A failed open is none, never the invalid-handle value.
HidHandle Stored(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kNoHidHandle : reinterpret_cast<HidHandle>(handle);
}

void ReadReportSizes(HANDLE query, HidInterface& found) {
    PHIDP_PREPARSED_DATA data = nullptr;
    if (!::HidD_GetPreparsedData(query, &data)) {
        return;
    }
    HIDP_CAPS caps{};
    if (::HidP_GetCaps(data, &caps) == HIDP_STATUS_SUCCESS) {
        found.inputReportSize = caps.InputReportByteLength;
        found.outputReportSize = caps.OutputReportByteLength;
    }
    ::HidD_FreePreparsedData(data);
}

void ReadIds(HidInterface& found) {
    const HANDLE query = ::CreateFileA(found.path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (query == INVALID_HANDLE_VALUE) {
        return;
    }
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (::HidD_GetAttributes(query, &attributes)) {
        found.ids = HidIds{attributes.VendorID, attributes.ProductID};
        ReadReportSizes(query, found);
    }
    ::CloseHandle(query);
}

} // namespace

void Win32HidPort::VisitPaths(const std::function<bool(const std::string&)>& visit) {
    GUID hidGuid{};
    ::HidD_GetHidGuid(&hidGuid);
    const HDEVINFO list =
        ::SetupDiGetClassDevsA(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE) {
        m_trace.Failure("SetupDiGetClassDevsA", ::GetLastError(), "HID interfaces");
        return;
    }
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof item;
    for (DWORD index = 0; ::SetupDiEnumDeviceInterfaces(list, nullptr, &hidGuid, index, &item);
         ++index) {
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailA(list, &item, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
            continue;
        }
        auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(std::malloc(size));
        if (detail == nullptr) {
            break;
        }
        // The fixed part's size, not the allocation's: the call checks it.
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        const bool haveDetail = ::SetupDiGetDeviceInterfaceDetailA(list, &item, detail, size,
                                                                   nullptr, nullptr) != FALSE;
        std::string path;
        if (haveDetail) {
            path = detail->DevicePath;
        }
        std::free(detail);
        if (haveDetail && visit(path)) {
            break;
        }
    }
    ::SetupDiDestroyDeviceInfoList(list);
}

void Win32HidPort::EnumerateInterfaces(const std::function<bool(const HidInterface&)>& visit) {
    VisitPaths([&](const std::string& path) {
        HidInterface found;
        found.path = path;
        ReadIds(found);
        return visit(found);
    });
}

bool Win32HidPort::IsPresent(const std::string& path) {
    bool present = false;
    VisitPaths([&](const std::string& candidate) {
        present = candidate == path;
        return present;
    });
    return present;
}

HidHandle Win32HidPort::Open(const std::string& path, std::uint32_t access, std::uint32_t share) {
    const HANDLE handle =
        ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_trace.Failure("CreateFileA", ::GetLastError(), path);
    }
    return Stored(handle);
}

HidHandle Win32HidPort::OpenRead(const std::string& path) {
    return Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

HidHandle Win32HidPort::OpenWrite(const std::string& path) {
    return Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

std::size_t Win32HidPort::Read(HidHandle handle, std::span<std::uint8_t> report) {
    DWORD read = 0;
    if (handle == kNoHidHandle) {
        return 0;
    }
    if (!::ReadFile(Native(handle), report.data(), static_cast<DWORD>(report.size()), &read,
                    nullptr)) {
        // A cancel is the closer's doing, not a fault.
        if (const DWORD error = ::GetLastError(); error != ERROR_OPERATION_ABORTED) {
            m_trace.Failure("ReadFile", error, "HID input report");
        }
        return 0;
    }
    return read;
}

bool Win32HidPort::Write(HidHandle handle, std::span<const std::uint8_t> report) {
    DWORD written = 0;
    if (handle == kNoHidHandle) {
        return false;
    }
    if (!::WriteFile(Native(handle), report.data(), static_cast<DWORD>(report.size()), &written,
                     nullptr)) {
        m_trace.Failure("WriteFile", ::GetLastError(), "HID output report");
        return false;
    }
    return true;
}

void Win32HidPort::Close(HidHandle handle) {
    if (handle == kNoHidHandle) {
        return;
    }
    // A synchronous read blocked on the handle in the reader thread would
    // hold CloseHandle until a report came; cancelling ends it at once.
    ::CancelIoEx(Native(handle), nullptr);
    ::CloseHandle(Native(handle));
}

void Win32HidPort::CancelReads(HidHandle handle) {
    if (handle != kNoHidHandle) {
        ::CancelIoEx(Native(handle), nullptr);
    }
}

bool Win32HidPort::SetInputBufferCount(HidHandle handle, std::uint32_t count) {
    if (handle == kNoHidHandle) {
        return false;
    }
    if (!::HidD_SetNumInputBuffers(Native(handle), count)) {
        m_trace.Failure("HidD_SetNumInputBuffers", ::GetLastError(), "HID read handle");
        return false;
    }
    return true;
}

} // namespace platform
