#include "platform/win32/win32_setup_steps.h"

#include "common/program_contract.h"
#include "platform/win32/win32_text.h"

#include <array>
#include <string_view>

#include <windows.h>

#include <aclapi.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

namespace platform {
namespace {

// A driver that keeps coming back after this many is restarted by something
// else, and waiting longer would not help.
constexpr int kEndRounds = 8;
constexpr DWORD kPollMs = 100;
// Read, write, run and delete: what the file's "Modify" permission grants (the generic
// read, write and execute masks share their standard rights, so they are not or-ed here).
constexpr DWORD kModify = 0x1301BF;

bool WaitForWindowProcess(HWND window, DWORD waitMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process != nullptr) {
        const DWORD waited = WaitForSingleObject(process, waitMs);
        CloseHandle(process);
        return waited == WAIT_OBJECT_0;
    }
    // Without a handle, the window's end is all there is to wait for.
    for (DWORD elapsed = 0; elapsed < waitMs; elapsed += kPollMs) {
        if (IsWindow(window) == FALSE) {
            return true;
        }
        Sleep(kPollMs);
    }
    return false;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Any session's: the snapshot lists them all. A process this installer cannot
// look into is not counted; the check for files in use that follows catches it.
int CountDrivers(const std::wstring& driverPath) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const std::wstring name = FileName(driverPath);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more != FALSE;
         more = Process32NextW(snapshot, &entry)) {
        if (!SamePath(FileName(entry.szExeFile), name)) {
            continue;
        }
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process == nullptr) {
            continue;
        }
        std::array<wchar_t, MAX_PATH * 2> image{};
        DWORD length = image.size();
        if (QueryFullProcessImageNameW(process, 0, image.data(), &length) != FALSE &&
            SamePath(std::wstring(image.data(), length), driverPath)) {
            ++count;
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return count;
}

bool DriverRuns(const std::wstring& driverPath) {
    return CountDrivers(driverPath) > 0;
}

bool WaitForDriversGone(const std::wstring& driverPath, DWORD waitMs) {
    for (DWORD elapsed = 0;; elapsed += kPollMs) {
        if (!DriverRuns(driverPath)) {
            return true;
        }
        if (elapsed >= waitMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

// Signals the drivers' end event, if a driver made it, and waits for them.
void SignalEndEvent(const std::wstring& driverPath, DWORD waitMs) {
    HANDLE event =
        OpenEventW(EVENT_MODIFY_STATE, FALSE, Wide(contract::driver_window::kEndEvent).c_str());
    if (event == nullptr) {
        return;
    }
    SetEvent(event);
    if (!driverPath.empty()) {
        WaitForDriversGone(driverPath, waitMs);
    }
    // A driver that hangs keeps the event alive: the one started after this
    // installation must not find it signalled.
    ResetEvent(event);
    CloseHandle(event);
}

// schtasks.exe with the arguments, without a window; true when it says it did it.
bool RunTaskScheduler(const std::wstring& arguments) {
    std::array<wchar_t, MAX_PATH> system{};
    const UINT length = GetSystemDirectoryW(system.data(), system.size());
    if (length == 0 || length >= system.size()) {
        return false;
    }
    const std::wstring program = std::wstring(system.data(), length) + L"\\schtasks.exe";
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &process) == FALSE) {
        return false;
    }
    constexpr DWORD kSchedulerMs = 30000;
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, kSchedulerMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0;
}

std::wstring SessionText(DWORD session, WTS_INFO_CLASS what) {
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes) ==
        FALSE) {
        return {};
    }
    std::wstring value = text != nullptr ? text : L"";
    WTSFreeMemory(text);
    return value;
}

bool GrantUsersModify(const std::wstring& path) {
    std::array<BYTE, SECURITY_MAX_SID_SIZE> sid{};
    DWORD sidSize = sid.size();
    if (CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sid.data(), &sidSize) == FALSE) {
        return false;
    }
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring name = path;
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &current, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = kModify;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid.data());
    PACL updated = nullptr;
    bool granted = SetEntriesInAclW(1, &access, current, &updated) == ERROR_SUCCESS &&
                   SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, updated, nullptr) == ERROR_SUCCESS;
    LocalFree(updated);
    LocalFree(descriptor);
    return granted;
}

} // namespace

bool EndRunningDrivers(const std::wstring& driverPath, std::uint32_t waitMs) {
    SignalEndEvent(driverPath, waitMs);
    const std::wstring className = Wide(contract::driver_window::kClass);
    const std::wstring title = Wide(contract::driver_window::kTitle);
    for (int round = 0; round < kEndRounds; ++round) {
        HWND window = FindWindowW(className.c_str(), title.c_str());
        if (window == nullptr) {
            break;
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (!WaitForWindowProcess(window, waitMs)) {
            return false;
        }
    }
    if (FindWindowW(className.c_str(), title.c_str()) != nullptr) {
        return false;
    }
    return driverPath.empty() || !DriverRuns(driverPath);
}

bool SeedSettings(const std::wstring& templatePath, const std::wstring& settingsPath) {
    if (CopyFileW(templatePath.c_str(), settingsPath.c_str(), TRUE) == FALSE &&
        GetLastError() != ERROR_FILE_EXISTS) {
        return false;
    }
    // Without it a user who is not an administrator calibrates a copy of their own; the
    // shared file stays usable, so this is no reason to fail the installation.
    GrantUsersModify(settingsPath);
    return true;
}

void RemoveLogs(const std::wstring& folder) {
    const std::wstring rotated = Wide(contract::log_file::kRotatedSuffix);
    for (const std::string_view log : {contract::log_file::kDriver, contract::log_file::kOrient}) {
        const std::wstring path = folder + Wide(log);
        DeleteFileW(path.c_str());
        DeleteFileW((path + rotated).c_str());
    }
}

bool DesktopHere() {
    return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

std::vector<setup::LogonSession> LogonSessions() {
    std::vector<setup::LogonSession> sessions;
    WTS_SESSION_INFOW* listed = nullptr;
    DWORD count = 0;
    if (WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &listed, &count) == FALSE) {
        return sessions;
    }
    for (DWORD i = 0; i < count; ++i) {
        const DWORD id = listed[i].SessionId;
        const std::wstring user = SessionText(id, WTSUserName);
        const std::wstring domain = SessionText(id, WTSDomainName);
        sessions.push_back({id, listed[i].State == WTSActive,
                            user.empty() || domain.empty() ? user : domain + L"\\" + user});
    }
    WTSFreeMemory(listed);
    return sessions;
}

bool StartThroughTask(const std::wstring& program, const std::wstring& user, std::uint32_t waitMs) {
    // The process id keeps two installers' tasks apart.
    const std::wstring task = L"\"Dravik start " + std::to_wstring(GetCurrentProcessId()) + L"\"";
    // Once, at midnight, which has passed: it runs only when asked to. /IT runs it in the
    // user's own session while the user is logged on, which needs no password.
    const bool created = RunTaskScheduler(L"/create /f /tn " + task + L" /tr \"\\\"" + program +
                                          L"\\\"\" /sc once /st 00:00 /ru \"" + user + L"\" /it");
    if (!created) {
        return false;
    }
    const int before = CountDrivers(program);
    const bool ran = RunTaskScheduler(L"/run /tn " + task);
    // Removing the task does not end its program, but one not yet started would be lost.
    if (ran) {
        for (DWORD elapsed = 0; elapsed < waitMs && CountDrivers(program) <= before;
             elapsed += kPollMs) {
            Sleep(kPollMs);
        }
    }
    RunTaskScheduler(L"/delete /f /tn " + task);
    return ran;
}

void StartThroughShell(const std::wstring& program) {
    if (!DesktopHere()) {
        return;
    }
    std::array<wchar_t, MAX_PATH> windows{};
    const UINT length = GetWindowsDirectoryW(windows.data(), windows.size());
    if (length == 0 || length >= windows.size()) {
        return;
    }
    const std::wstring explorer = std::wstring(windows.data(), length) + L"\\explorer.exe";
    const std::wstring parameters = L"\"" + program + L"\"";
    ShellExecuteW(nullptr, L"open", explorer.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

} // namespace platform
