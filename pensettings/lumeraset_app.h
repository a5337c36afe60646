#pragma once

#include "framework/win_app.h"
#include "pensettings/tool_ports.h"

namespace pensettings {

class CLumeraSetApp : public framework::CWinApp {
public:
    explicit CLumeraSetApp(ToolPorts& ports) : m_ports(ports) {}

    // Always false: the program ends when its dialog does.
    bool InitInstance() override;

private:
    ToolPorts& m_ports;
};

} // namespace pensettings
