#pragma once

#include "setup/driver_start_plan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What the MSI runs around the file copies that MSI tables cannot express.

// Asks every running driver to end, as its exit button does, and waits for
// each process: a running program's files can be neither replaced nor
// removed. The end event reaches the drivers of every session; the window of
// an older driver, which has no event, only this session's. driverPath (may
// be empty) names the installed driver, whose processes in every session are
// waited for. False when one still runs after waitMs.
bool EndRunningDrivers(const std::wstring& driverPath, std::uint32_t waitMs);

// Makes the shared settings file from the shipped template unless it is
// there already (the user's calibration), and lets the programs, which run
// without elevation, write it.
bool SeedSettings(const std::wstring& templatePath, const std::wstring& settingsPath);

// Removes the log files the programs write beside the settings file in
// folder (which ends with a backslash).
void RemoveLogs(const std::wstring& folder);

// True when this process runs on a desktop with a shell (not so as SYSTEM in
// session 0).
bool DesktopHere();

// The machine's log-on sessions; empty when they cannot be listed.
std::vector<setup::LogonSession> LogonSessions();

// Starts the program through the logged-on user's shell, so that it does not
// inherit the installer's elevation.
void StartThroughShell(const std::wstring& program);

// Starts the program in user's session (DOMAIN\user) as that user, through a
// scheduled task that runs only while the user is logged on, so that it needs
// no password; the task is removed once the program runs, or after waitMs.
bool StartThroughTask(const std::wstring& program, const std::wstring& user, std::uint32_t waitMs);

} // namespace platform
