#include "framework/win_app.h"

namespace framework {

int CWinApp::Run() {
    InitInstance();
    return ExitInstance();
}

} // namespace framework
