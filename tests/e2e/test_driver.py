"""The real driver under Wine: its hidden window, single instance, settings writes and exit."""

import shutil
import subprocess
import unittest
from pathlib import Path

from rig import (REPO, context, contract, end_program, fields, read_profile, replace_section,
                 start_program, start_wintest, wait_for, wintest, WintestError, work_folder)

DRIVER_EXE = "driver/app/Dravik.exe"
DIALOG_CLASS = contract.DRIVER_WINDOW_CLASS
DIALOG_TITLE = contract.DRIVER_WINDOW_TITLE

WS_EX_TOOLWINDOW = 0x80
WS_EX_APPWINDOW = 0x40000
WM_COMMAND = 0x111
IDCANCEL = 2

# Used when resources/ has no such file; code page 936 like the shipped ones.
FALLBACK_LANGUAGE = ("[String]\r\nIDS_CONNECTCAP=提示\r\nIDS_SERRUNNING=驱动程序已经在运行！\r\n"
                     "IDS_GETPARAMFAIL=读取白板参数失败！\r\nIDS_CONNECT=白板已连接\r\n"
                     "IDS_LKEYERROR=左侧按键故障！\r\nIDS_RKEYERROR=右侧按键故障！\r\n")
FALLBACK_SETTINGS = "[coordinate]\r\nwdot=0\r\nhdot=0\r\norient=0\r\n"


def install_driver(name: str) -> Path:
    """A fresh folder with the driver and its two INI files; returns the exe's path."""
    folder = work_folder(name)
    exe = folder / "Dravik.exe"
    shutil.copy2(context().program(DRIVER_EXE), exe)
    for file, fallback in ((contract.LANGUAGE_FILE_NAME, FALLBACK_LANGUAGE),
                           (contract.SETTINGS_FILE_NAME, FALLBACK_SETTINGS)):
        source = REPO / "resources" / file
        if source.exists():
            shutil.copy2(source, folder / file)
        else:
            (folder / file).write_bytes(fallback.encode("gbk"))
    return exe


class DriverTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not context().program(DRIVER_EXE).exists():
            raise AssertionError(f"{DRIVER_EXE} is not built")

    def setUp(self):
        self.exe = install_driver(self.id())
        self.processes = []
        self.addCleanup(self.end_drivers)

    def start_driver(self):
        process = start_program(self.exe)
        self.processes.append(process)
        return process

    def end_drivers(self):
        for process in self.processes:
            end_program(process)
        # The next test's driver must not meet this one's mutex or window.
        wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000)

    def helper(self, *args, timeout_ms=0):
        """wintest, with the desktop's windows in the failure message."""
        try:
            return wintest(*args, timeout_ms=timeout_ms)
        except WintestError as error:
            windows = "\n".join(wintest("list", check=False))
            message = f"{error}\ntop-level windows (hwnd visible class title):\n{windows}"
            raise self.failureException(message) from None

    def start_and_wait_for_window(self):
        process = self.start_driver()
        self.helper("wait-window", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000)
        return process

    def assert_ends(self, process, seconds, what):
        try:
            process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.fail(f"{what} still runs after {seconds} s")

    def post(self, message, wparam=0, lparam=0):
        self.helper("post", DIALOG_CLASS, DIALOG_TITLE, message, wparam, lparam)

    def test_manifests_scale_by_monitor_and_keep_writes_virtualised(self):
        # Per-monitor awareness maps the board in physical pixels; an execution
        # level would end the write virtualisation the settings file relies on.
        for exe, per_monitor in (("driver/app/Dravik.exe", True), ("orient/Orient.exe", True),
                                 ("pensettings/LumeraSet.exe", False)):
            data = context().program(exe).read_bytes()
            self.assertEqual(b"<dpiAwareness" in data and b"PerMonitorV2" in data, per_monitor,
                             exe)
            self.assertNotIn(b"requestedExecutionLevel", data, exe)

    def test_window_appears_then_hides_without_a_taskbar_button(self):
        # The watcher starts first so that it can see the window before the hide.
        watcher = start_wintest("wait-hidden", DIALOG_CLASS, DIALOG_TITLE, 5000)
        self.addCleanup(end_program, watcher)
        self.start_driver()
        out, err = watcher.communicate(timeout=30)
        seen = fields(out.decode("utf-8").splitlines())
        self.assertEqual(watcher.returncode, 0, f"{err.decode('utf-8', 'replace')} {seen}")
        self.assertLessEqual(int(seen["seen_ms"]), 5000, seen)
        self.assertLessEqual(int(seen["hidden_ms"]) - int(seen["seen_ms"]), 1000, seen)

        styles = fields(wintest("styles", DIALOG_CLASS, DIALOG_TITLE))
        exstyle = int(styles["exstyle"], 16)
        self.assertEqual(styles["visible"], "0")
        self.assertTrue(exstyle & WS_EX_TOOLWINDOW, styles)
        self.assertFalse(exstyle & WS_EX_APPWINDOW, styles)
        self.assertEqual(len(wintest("find", DIALOG_CLASS, DIALOG_TITLE)), 1)

    def test_second_start_shows_the_running_notice_and_ends(self):
        language = self.exe.with_name(contract.LANGUAGE_FILE_NAME)
        caption = read_profile(language, "String", "IDS_CONNECTCAP")
        text = read_profile(language, "String", "IDS_SERRUNNING")
        first = self.start_and_wait_for_window()

        second = self.start_driver()
        self.assertEqual(self.helper("msgbox", caption, 10000, timeout_ms=10000), [text])
        self.assert_ends(second, 10, "the second driver")
        self.assertIsNone(first.poll(), "the first driver ended")
        self.assertEqual(len(wintest("find", DIALOG_CLASS, DIALOG_TITLE)), 1)

    def test_hardware_messages_write_beside_the_exe(self):
        settings = self.exe.with_name(contract.SETTINGS_FILE_NAME)
        # Values the driver never writes, so a pass cannot come from the installed file.
        replace_section(settings, "hardware", ["KEY_TYPE=7", "BOARD_TYPE=5"])
        self.start_and_wait_for_window()

        def value(key):
            return lambda: (read_profile(settings, "hardware", key) or "") not in ("", "7", "5")

        self.post(contract.DRIVER_MESSAGE_SAVE_KEY_TYPE)
        wait_for(value("KEY_TYPE"), 5)
        self.assertEqual(read_profile(settings, "hardware", "KEY_TYPE"), "1")
        self.assertEqual(read_profile(settings, "hardware", "BOARD_TYPE"), "5")
        self.post(contract.DRIVER_MESSAGE_RESET_BOARD_TYPE)
        wait_for(value("BOARD_TYPE"), 5)
        self.assertEqual(read_profile(settings, "hardware", "BOARD_TYPE"), "0")
        orient = read_profile(settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                              contract.SETTINGS_FILE_ORIENT_KEY)
        self.assertEqual(orient, "0", "other sections kept")

    def test_cancel_command_ends_the_process(self):
        process = self.start_and_wait_for_window()
        self.post(WM_COMMAND, IDCANCEL, 0)
        self.assert_ends(process, 10, "the driver")
        wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 2000, timeout_ms=2000)


if __name__ == "__main__":
    unittest.main()
