#pragma once

#include "framework/win_app.h"
#include "orient/orient_ports.h"

namespace orient {

class COrientApp : public framework::CWinApp {
public:
    explicit COrientApp(OrientPorts& ports) : m_ports(ports) {}

    // Always false: the program ends when its window does.
    bool InitInstance() override;

private:
    OrientPorts& m_ports;
};

} // namespace orient
