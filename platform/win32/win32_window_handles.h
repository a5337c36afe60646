#pragma once

// windows.h first: its A/W macros would rename the port's methods.
#include <windows.h>
#undef FindWindow
#undef PostMessage
#undef RegisterWindowMessage
#undef MessageBox
#undef SetDlgItemText
#undef GetDlgItemText
#undef SetWindowText

#include "platform/window_handles.h"

namespace platform::win32 {

inline HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle Handle(HWND hwnd) {
    return reinterpret_cast<WindowHandle>(hwnd);
}

} // namespace platform::win32
