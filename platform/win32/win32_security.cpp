#include "platform/win32/win32_security.h"

#include <cstdint>
#include <memory>
#include <new>

#include <windows.h>

#include <sddl.h>

namespace platform {

namespace {

constexpr DWORD kGroupBufferSize = 1024;

// The system and administrators may do anything with it; everybody else, the
// owner included, may only wait on it ("OW" takes away the owner's implicit
// right to rewrite this list and so grant itself the right to signal).
constexpr wchar_t kEndEventAccess[] =
    L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x100000;;;OW)(A;;0x100000;;;WD)";

bool TokenHasSid(const TOKEN_GROUPS& groups, PSID sid) {
    // Attributes are not looked at: a deny-only group counts as membership.
    const SID_AND_ATTRIBUTES* entries = groups.Groups;
    for (DWORD i = 0; i < groups.GroupCount; ++i) {
        if (EqualSid(sid, entries[i].Sid)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool Win32Security::IsUserAdmin() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    // 8-byte units keep the TOKEN_GROUPS view aligned.
    std::unique_ptr<std::uint64_t[]> buffer(new (std::nothrow) std::uint64_t[kGroupBufferSize / 8]);
    DWORD needed = 0;
    const bool read =
        buffer && GetTokenInformation(token, TokenGroups, buffer.get(), kGroupBufferSize, &needed);
    CloseHandle(token);
    if (!read) {
        return false;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    const bool isAdmin =
        TokenHasSid(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.get()), administrators);
    FreeSid(administrators);
    return isAdmin;
}

bool Win32Security::IsWow64() {
#ifdef _WIN64
    // A 64-bit process runs on 64-bit Windows only.
    return true;
#else
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("kernel32");
    const FARPROC proc = kernel ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
    if (!proc) {
        return false;
    }
    // Through void(*)() so that the compiler accepts the change of signature.
    const auto isWow64Process =
        reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void (*)()>(proc));
    BOOL wow64 = FALSE;
    isWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
#endif
}

bool Win32Security::CreateSingleInstanceMutex(const std::string& name) {
    // The handle is never closed: the process end releases the mutex.
    CreateMutexA(nullptr, TRUE, name.c_str());
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

Win32Security::~Win32Security() {
    if (m_endEvent != nullptr) {
        CloseHandle(m_endEvent);
    }
}

bool Win32Security::OpenEndEvent(const std::string& name) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kEndEventAccess, SDDL_REVISION_1,
                                                             &descriptor, nullptr) == FALSE) {
        m_trace.Failure("ConvertStringSecurityDescriptorToSecurityDescriptorW", GetLastError(),
                        name);
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    // Manual reset: one signal reaches the driver of every session. Asking
    // for SYNCHRONIZE only lets a user who is not an administrator open the
    // event another session's driver made.
    HANDLE event =
        CreateEventExA(&attributes, name.c_str(), CREATE_EVENT_MANUAL_RESET, SYNCHRONIZE);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    if (event == nullptr) {
        m_trace.Failure("CreateEventExA", error, name);
        return false;
    }
    if (m_endEvent != nullptr) {
        CloseHandle(m_endEvent);
    }
    m_endEvent = event;
    return true;
}

bool Win32Security::EndEventSignalled() {
    return m_endEvent != nullptr && WaitForSingleObject(m_endEvent, 0) == WAIT_OBJECT_0;
}

} // namespace platform
