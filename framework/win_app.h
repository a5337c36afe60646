#pragma once

namespace framework {

// The application object: one per program, built at the program's entry.
class CWinApp {
public:
    CWinApp() = default;
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // False ends the program once it returns (dialog programs end when
    // their dialog does).
    virtual bool InitInstance() = 0;
    virtual int ExitInstance() { return 0; }

    // What the program's entry runs.
    int Run();
};

} // namespace framework
