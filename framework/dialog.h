#pragma once

#include "framework/data_exchange.h"
#include "framework/message_map.h"
#include "platform/dialog_template.h"
#include "platform/window_port.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace framework {

// A dialog over the window-system port: template, modal loop, data
// exchange, and a message map searched before the base behaviour.
class CDialog : public platform::WindowProcedure {
public:
    using WParam = platform::WParam;
    using LParam = platform::LParam;
    using LResult = platform::LResult;

    CDialog(platform::WindowSystem& windows, const platform::DialogTemplate& dialogTemplate,
            platform::WindowHandle parent = platform::kNoWindow);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // The result given to EndDialog, or -1 when the dialog could not run.
    LResult DoModal();
    bool EndDialog(LResult result);
    platform::WindowHandle GetSafeHwnd() const { return m_window.load(); }

    LResult HandleMessage(platform::WindowHandle window, std::uint32_t message, WParam wParam,
                          LParam lParam, bool& handled) final;

protected:
    // Base: loads the controls from the members; true leaves the focus to
    // the dialog manager.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);
    // Base: the message map, then OK and Cancel, then default processing.
    virtual LResult WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled);
    // The derived dialog's map; false when no row matched.
    virtual bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                    LResult& result);
    virtual void OnOK();
    virtual void OnCancel();

    bool UpdateData(bool saveAndValidate);

    platform::WindowSystem& Windows() const { return m_windows; }

    // Starting a running timer restarts its countdown.
    bool SetTimer(std::uintptr_t timerId, std::uint32_t milliseconds);
    bool KillTimer(std::uintptr_t timerId);
    bool ShowWindow(int command);
    bool SetWindowPos(platform::WindowHandle insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags);
    void ModifyStyleEx(std::uint32_t remove, std::uint32_t add);
    bool IsIconic() const;
    // The paint of a dialog with an icon: the icon centred while minimised,
    // a plain dialog's paint otherwise.
    void PaintWithIcon(platform::IconHandle icon);

private:
    platform::WindowSystem& m_windows;
    const platform::DialogTemplate& m_template;
    platform::WindowHandle m_parent;
    // Read by the reader thread when it posts to the dialog.
    std::atomic<platform::WindowHandle> m_window{platform::kNoWindow};
};

} // namespace framework
