#pragma once

#include "platform/platform.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_display.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_hid_port.h"
#include "platform/sim/sim_ipc.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_mouse.h"
#include "platform/sim/sim_notify_icon.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_serial_port.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace testing_support {

// One simulated PC: a desktop, a virtual clock, files in a temporary
// folder with the program installed in "Program Files/Board".
class SimMachine {
public:
    // Runs that never touch a file (fuzzing) are spared the folders.
    enum class Disk { Temporary, None };

    // The virtual clock reads startMs at first.
    explicit SimMachine(std::uint32_t startMs = 0, Disk disk = Disk::Temporary)
        : clock(startMs),
          m_dir(disk == Disk::Temporary ? std::make_optional<TempDir>() : std::nullopt),
          m_root(m_dir ? m_dir->Path() : std::filesystem::path("/nonexistent")),
          m_installFolder(m_root / "Program Files" / "Board"),
          m_appData(m_root / "AppData" / "Roaming") {
        if (m_dir) {
            std::filesystem::create_directories(m_installFolder);
            std::filesystem::create_directories(m_appData);
        }
    }

    std::string InstalledFile(std::string_view name) const {
        return (m_installFolder / name).string();
    }
    std::string UserSettingsFile() const {
        return (m_appData / "QelSoftware" / "Drivers" / "DualData.ini").string();
    }
    std::string WriteInstalled(std::string_view name, std::string_view content) const {
        std::string path = InstalledFile(name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        return path;
    }

    platform::SimClock clock;
    platform::SimDesktop desktop{clock};
    platform::IniFileProfile profile;
    platform::SimMouse mouse;
    platform::SimDisplay display{1920, 1080};
    platform::SimMutexRegistry mutexes;
    platform::SimShell shell;
    platform::SimThreadPort threads;
    platform::SimSerialPort serial{clock};
    platform::SimHidPort hid{clock};
    platform::SimRegistry registry;
    platform::SimTrace trace;
    platform::SimIpcPort ipc{trace, clock};
    platform::SimNotifyIcon notifyIcon{clock};
    platform::SimLocale locale;

private:
    std::optional<TempDir> m_dir;
    std::filesystem::path m_root;
    std::filesystem::path m_installFolder;
    std::filesystem::path m_appData;

public:
    platform::SimFiles files{(m_installFolder / "Dravik.exe").string(), m_appData.string()};
};

// One simulated process on a machine: its own security answers and mutex
// handles, the machine's desktop and files.
class SimProcess {
public:
    // mouse replaces the machine's recording one (a benchmark's discards).
    explicit SimProcess(SimMachine& machine, platform::MousePort* mouse = nullptr)
        : security(machine.mutexes),
          ports{machine.desktop,    machine.clock,
                machine.profile,    mouse != nullptr ? *mouse : machine.mouse,
                machine.display,    machine.files,
                security,           machine.shell,
                machine.threads,    machine.serial,
                machine.hid,        machine.registry,
                machine.trace,      machine.ipc,
                machine.notifyIcon, machine.locale} {
        security.SetUserAdmin(true);
    }

    platform::SimSecurity security;
    platform::Platform ports;
};

} // namespace testing_support
