#include "orient/orient_app.h"

#include "orient/orient_wnd.h"

namespace orient {

bool COrientApp::InitInstance() {
    COrientWnd window(m_ports, m_request);
    window.Run();
    return false;
}

} // namespace orient
