#pragma once

#include "framework/win_app.h"
#include "orient/monitor_choice.h"
#include "orient/orient_ports.h"

#include <utility>

namespace orient {

class COrientApp : public framework::CWinApp {
public:
    COrientApp(OrientPorts& ports, MonitorRequest request)
        : m_ports(ports), m_request(std::move(request)) {}

    // Always false: the program ends when its window does.
    bool InitInstance() override;

private:
    OrientPorts& m_ports;
    MonitorRequest m_request;
};

} // namespace orient
