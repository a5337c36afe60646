#include "pensettings/lumeraset_app.h"

#include "pensettings/lumeraset_dlg.h"

namespace pensettings {

namespace {
constexpr std::uint32_t kWin95ControlClasses = 0x00FF;
// The extended combo box is not among the Windows 95 classes.
constexpr std::uint32_t kUserExControlClasses = 0x0200;
} // namespace

bool CLumeraSetApp::InitInstance() {
    m_ports.windows.InitCommonControls(kWin95ControlClasses | kUserExControlClasses);
    CLumeraSetDlg dialog(m_ports);
    dialog.DoModal();
    return false;
}

} // namespace pensettings
