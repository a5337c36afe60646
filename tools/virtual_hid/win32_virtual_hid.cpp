// The Windows end of the virtual HID board: installs the bus and minidriver once per prefix
// and turns lines on stdin into requests to the bus, so that a program on the Linux side can
// plug boards, feed their input reports and read what was written to them.
//
//   VirtualHid.exe install      the drivers beside this program, unless the bus is there
//   VirtualHid.exe              serve; one line per command, one answer per line except
//                               for a report that went in:
//     plug VID PID [IN OUT [NAME]]   hex IDs, report sizes with the ID byte -> "ok N"
//     unplug N                       -> "ok"
//     report N HEX                   -> nothing, or "error report N CODE" (after a run of
//                                       reports, which go to the bus together)
//     outputs N                      -> "ok AGE_MS:HEX ..." oldest first, each once
//     stats N                        -> "ok delivered D dropped X queued Q peak P"
//     sync                           -> "ok" once the lines before it are done
#include <windows.h>

#include <newdev.h>
#include <setupapi.h>
#include <winioctl.h>

#include "tools/virtual_hid/virtual_hid_control.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <sstream>
#include <string>
#include <vector>

namespace {

const GUID kControlGuid = VIRTUAL_HID_CONTROL_GUID_INIT;
// The class comes from the INF at install.
const GUID kNoClass{};
constexpr DWORD kBusStartWaitMs = 30000;

std::wstring ControlPath() {
    const HDEVINFO list = ::SetupDiGetClassDevsW(&kControlGuid, nullptr, nullptr,
                                                 DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring path;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof item;
    if (::SetupDiEnumDeviceInterfaces(list, nullptr, &kControlGuid, 0, &item)) {
        std::vector<char> buffer(4096);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (::SetupDiGetDeviceInterfaceDetailW(
                list, &item, detail, static_cast<DWORD>(buffer.size()), nullptr, nullptr)) {
            path = detail->DevicePath;
        }
    }
    ::SetupDiDestroyDeviceInfoList(list);
    return path;
}

std::wstring WaitForControlPath(DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        std::wstring path = ControlPath();
        if (!path.empty() || ::GetTickCount64() >= deadline) {
            return path;
        }
        ::Sleep(50);
    }
}

std::wstring BesideProgram(const wchar_t* name) {
    wchar_t module[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

int Fail(const char* call) {
    std::printf("error %s %lu\n", call, ::GetLastError());
    return 1;
}

int Install() {
    if (!ControlPath().empty()) {
        std::printf("already installed\n");
        return 0;
    }
    const HDEVINFO set = ::SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
        return Fail("SetupDiCreateDeviceInfoList");
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    static const wchar_t kHardwareIds[] = VIRTUAL_HID_BUS_HARDWARE_ID L"\0";
    // A bus registered by an earlier install whose driver did not start: register it anew.
    bool ok = ::SetupDiCreateDeviceInfoW(set, L"ROOT\\VIRTUALHID\\0000", &kNoClass, nullptr,
                                         nullptr, 0, &device) ||
              ::SetupDiOpenDeviceInfoW(set, L"ROOT\\VIRTUALHID\\0000", nullptr, 0, &device);
    if (!ok) {
        ::SetupDiDestroyDeviceInfoList(set);
        return Fail("SetupDiCreateDeviceInfoW");
    }
    if (!::SetupDiSetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID,
                                             reinterpret_cast<const BYTE*>(kHardwareIds),
                                             sizeof kHardwareIds)) {
        ::SetupDiDestroyDeviceInfoList(set);
        return Fail("SetupDiSetDeviceRegistryPropertyW");
    }
    ::SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
    ::SetupDiDestroyDeviceInfoList(set);
    const std::wstring inf = BesideProgram(L"virtual_hid.inf");
    BOOL reboot = FALSE;
    if (!::UpdateDriverForPlugAndPlayDevicesW(nullptr, VIRTUAL_HID_BUS_HARDWARE_ID, inf.c_str(),
                                              INSTALLFLAG_FORCE, &reboot)) {
        return Fail("UpdateDriverForPlugAndPlayDevicesW");
    }
    if (WaitForControlPath(kBusStartWaitMs).empty()) {
        std::printf("error the bus did not start\n");
        return 1;
    }
    std::printf("installed\n");
    return 0;
}

std::vector<unsigned char> FromHex(const std::string& text) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string ToHex(const unsigned char* data, ULONG length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (ULONG i = 0; i < length; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    return text;
}

class Bus {
public:
    explicit Bus(HANDLE control) : m_control(control) { ::QueryPerformanceFrequency(&m_frequency); }

    std::string Handle(const std::string& line) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "plug") {
            return Plug(words);
        }
        if (command == "unplug") {
            ULONG child = 0;
            words >> child;
            return Control(IOCTL_VIRTUAL_HID_UNPLUG, &child, sizeof child, nullptr, 0) ? "ok"
                                                                                       : Error();
        }
        if (command == "report") {
            Report(words);
            return {};
        }
        const std::string flushed = FlushReports();
        if (!flushed.empty()) {
            std::printf("%s\n", flushed.c_str());
        }
        if (command == "outputs") {
            return Outputs(words);
        }
        if (command == "stats") {
            ULONG child = 0;
            words >> child;
            VirtualHidStats stats{};
            static_assert(sizeof stats >= sizeof child);
            std::memcpy(&stats, &child, sizeof child);
            if (!Control(IOCTL_VIRTUAL_HID_STATS, &stats, sizeof child, &stats, sizeof stats)) {
                return Error();
            }
            return "ok delivered " + std::to_string(stats.delivered) + " dropped " +
                   std::to_string(stats.dropped) + " queued " + std::to_string(stats.queued) +
                   " peak " + std::to_string(stats.peakQueued);
        }
        if (command == "sync") {
            return "ok";
        }
        return "error unknown command";
    }

private:
    bool Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* got = nullptr) {
        DWORD returned = 0;
        const bool ok = ::DeviceIoControl(m_control, code, in, inSize, out, outSize, &returned,
                                          nullptr) != FALSE;
        if (got != nullptr) {
            *got = returned;
        }
        return ok;
    }

    static std::string Error() { return "error " + std::to_string(::GetLastError()); }

    std::string Plug(std::istringstream& words) {
        VirtualHidPlug plug{};
        unsigned vendor = 0, product = 0, input = 21, output = 21;
        std::string name;
        words >> std::hex >> vendor >> product >> std::dec;
        if (!words) {
            return "error plug VID PID [IN OUT [NAME]]";
        }
        words >> input >> output >> name;
        plug.vendorId = static_cast<USHORT>(vendor);
        plug.productId = static_cast<USHORT>(product);
        plug.inputSize = static_cast<USHORT>(input);
        plug.outputSize = static_cast<USHORT>(output);
        for (std::size_t i = 0; i < name.size() && i + 1 < VIRTUAL_HID_NAME_CHARS; ++i) {
            plug.name[i] = static_cast<WCHAR>(name[i]);
        }
        ULONG number = 0;
        if (!Control(IOCTL_VIRTUAL_HID_PLUG, &plug, sizeof plug, &number, sizeof number)) {
            return Error();
        }
        return "ok " + std::to_string(number);
    }

    // Reports wait here until a line that is no report, or the end of what stdin holds:
    // one request for a run of them keeps up with a board at 1,000 reports/s.
    void Report(std::istringstream& words) {
        VirtualHidInput input{};
        std::string hex;
        words >> input.child >> hex;
        const std::vector<unsigned char> bytes = FromHex(hex);
        input.length = static_cast<ULONG>(bytes.size());
        std::memcpy(input.data, bytes.data(), std::min(bytes.size(), sizeof input.data));
        m_pending.push_back(input);
    }

public:
    std::string FlushReports() {
        if (m_pending.empty()) {
            return {};
        }
        const bool ok =
            Control(IOCTL_VIRTUAL_HID_INPUT, m_pending.data(),
                    static_cast<DWORD>(m_pending.size() * sizeof(VirtualHidInput)), nullptr, 0);
        const ULONG child = m_pending.front().child;
        m_pending.clear();
        return ok ? std::string{}
                  : "error report " + std::to_string(child) + " " +
                        std::to_string(::GetLastError());
    }

private:
    std::string Outputs(std::istringstream& words) {
        std::vector<VirtualHidOutput> records(512);
        ULONG child = 0;
        words >> child;
        DWORD got = 0;
        std::memcpy(records.data(), &child, sizeof child);
        if (!Control(IOCTL_VIRTUAL_HID_OUTPUTS, records.data(), sizeof child, records.data(),
                     static_cast<DWORD>(records.size() * sizeof(VirtualHidOutput)), &got)) {
            return Error();
        }
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        std::string answer = "ok";
        for (DWORD i = 0; i < got / sizeof(VirtualHidOutput); ++i) {
            const VirtualHidOutput& record = records[i];
            const double ageMs = static_cast<double>(now.QuadPart - record.time) * 1000.0 /
                                 static_cast<double>(m_frequency.QuadPart);
            char age[32];
            std::snprintf(age, sizeof age, " %.3f:", ageMs);
            answer += age + ToHex(record.data, record.length);
        }
        return answer;
    }

    HANDLE m_control;
    LARGE_INTEGER m_frequency{};
    std::vector<VirtualHidInput> m_pending;
};

int Serve() {
    const std::wstring path = WaitForControlPath(kBusStartWaitMs);
    if (path.empty()) {
        std::printf("error no virtual HID bus: run VirtualHid.exe install\n");
        return 1;
    }
    const HANDLE control = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    if (control == INVALID_HANDLE_VALUE) {
        return Fail("CreateFileW");
    }
    Bus bus(control);
    std::printf("ready\n");
    std::fflush(stdout);
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    std::string buffered;
    char chunk[65536];
    bool quit = false;
    while (!quit) {
        DWORD got = 0;
        if (!::ReadFile(in, chunk, sizeof chunk, &got, nullptr) || got == 0) {
            break;
        }
        buffered.append(chunk, got);
        std::size_t start = 0;
        for (std::size_t end; !quit && (end = buffered.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string line = buffered.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            quit = line == "quit";
            const std::string answer = quit || line.empty() ? std::string{} : bus.Handle(line);
            if (!answer.empty()) {
                std::printf("%s\n", answer.c_str());
            }
        }
        buffered.erase(0, start);
        // Nothing more waiting: what was read is done before the next wait.
        DWORD waiting = 0;
        if (quit || !::PeekNamedPipe(in, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) {
            const std::string failed = bus.FlushReports();
            if (!failed.empty()) {
                std::printf("%s\n", failed.c_str());
            }
        }
        std::fflush(stdout);
    }
    ::CloseHandle(control);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "install") == 0) {
        return Install();
    }
    return Serve();
}
