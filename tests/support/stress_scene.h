#pragma once

#include "tests/support/driver_scene.h"

#include <functional>
#include <memory>
#include <string>

namespace testing_support {

// The driver on a 32-bit machine; the board's serial bridge can be plugged
// in, and the connect timer then opens it at 2000 ms, with the reader on a
// real thread over the threaded port. The scene drives the dialog in steps
// of virtual time while threads of the test play the board and companions.
class StressScene : public DriverScene {
protected:
    static constexpr std::uint64_t kConnectedAtMs = 2100;
    static constexpr const char* kPortNameKey =
        "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320&Mi_00\\0001_00\\Device Parameters";
    static constexpr const char* kLinkedKey =
        "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{6c292e54-943b-4f84-a45a-d36cca47ea0b}\\"
        "##?#USB#Vid_10c4&Pid_1320#0001#{6c292e54-943b-4f84-a45a-d36cca47ea0b}\\#\\Control";

    StressScene() { m_machine.serial.SetThreaded(true); }

    // Present and linked, or unplugged: not linked and every read failing.
    void PlugInSerialBoard() {
        m_machine.registry.SetString(kPortNameKey, "PortName", "COM7");
        m_machine.registry.SetDword(kLinkedKey, "Linked", 1);
    }
    void UnplugSerialBoard() {
        m_machine.registry.SetDword(kLinkedKey, "Linked", 0);
        m_machine.serial.HangUp();
    }

    // step(k) for k from 0 to count - 1, on the dialog's thread, periodMs of
    // virtual time apart from startMs on.
    void Repeat(std::uint64_t startMs, int count, std::function<void(int)> step,
                std::uint64_t periodMs = 1) {
        // Each scheduled step holds the chain; the chain only refers to itself.
        auto chain = std::make_shared<std::function<void(int)>>();
        *chain = [this, count, periodMs, step = std::move(step),
                  weak = std::weak_ptr<std::function<void(int)>>(chain)](int k) {
            step(k);
            if (k + 1 < count) {
                m_machine.desktop.At(periodMs, [next = weak.lock(), k] { (*next)(k + 1); });
            }
        };
        At(startMs, [chain] { (*chain)(0); });
    }
};

} // namespace testing_support
