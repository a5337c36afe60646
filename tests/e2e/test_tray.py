"""The driver's notification-area icon under Wine, watched by wintest in the shell's place."""

import shutil
import threading
import time
import unittest
from pathlib import Path

from rig import (context, contract, end_program, read_profile, replace_section, serial_board,
                 start_program, start_wintest, wait_for, windows_path, wine, wintest,
                 SERIAL_PORT)
from test_driver import DIALOG_CLASS, DIALOG_TITLE, DRIVER_EXE, install_driver

WM_CONTEXTMENU = 0x007B
WM_CLOSE = 0x0010
IDYES = 6
# The icon menu's items, in order (a separator after the third does not count).
CALIBRATE, PEN_BUTTONS, SAVE_DIAGNOSTICS, ABOUT, EXIT = range(5)
DIAGNOSTICS_FOLDER = "Dravik diagnostics"
DIAGNOSTICS_FILES = (contract.LOG_FILE_DRIVER, contract.LOG_FILE_ORIENT,
                     contract.SETTINGS_FILE_NAME, "versions.txt", "monitors.txt", "trace.txt")


class TrayWatch:
    """wintest standing in for the notification area; each call of Shell_NotifyIconW as a dict,
    stamped with the time it reached this side."""

    FIELDS = ("ms", "operation", "accepted", "owner", "callback", "picture", "tip", "title",
              "info")

    def __init__(self, seconds=120):
        self.process = start_wintest("tray-watch", int(seconds * 1000))
        self.events = []
        self.ready = threading.Event()
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()
        if not self.ready.wait(15):
            end_program(self.process)
            raise AssertionError("the tray watcher did not start: "
                                 + self.process.stderr.read().decode("utf-8", "replace"))

    def _read(self):
        for raw in self.process.stdout:
            line = raw.decode("utf-8").rstrip("\n")
            if line.startswith("ready "):
                self.ready.set()
            elif line.startswith("notify\t"):
                event = dict(zip(self.FIELDS, line.split("\t")[1:]))
                event["at"] = time.monotonic()
                with self.lock:
                    self.events.append(event)

    def stop(self):
        end_program(self.process)

    def all(self):
        with self.lock:
            return list(self.events)

    def wait(self, predicate, timeout, what):
        """The first event that satisfies predicate."""
        found = []

        def seen():
            found[:] = [event for event in self.all() if predicate(event)]
            return bool(found)

        if not wait_for(seen, timeout):
            raise AssertionError(f"{what} not seen within {timeout} s; events: {self.all()}")
        return found[0]

    def tooltip(self):
        """The tooltip as the shell shows it now."""
        tips = [event["tip"] for event in self.all()
                if event["accepted"] == "1" and event["tip"] != "-"]
        return tips[-1] if tips else None


class TrayIconTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for exe in (DRIVER_EXE, "orient/Orient.exe", "pensettings/LumeraSet.exe"):
            if not context().program(exe).exists():
                raise AssertionError(f"{exe} is not built")

    def setUp(self):
        self.exe = install_driver(self.id())
        self.folder = self.exe.parent
        self.language = self.folder / contract.LANGUAGE_FILE_NAME
        self.settings = self.folder / contract.SETTINGS_FILE_NAME
        self.tray = TrayWatch()
        self.addCleanup(lambda: self.tray.stop())
        self.driver = None

    def text(self, key):
        return read_profile(self.language, "String", key)

    def start_driver(self):
        started = time.monotonic()
        self.driver = start_program(self.exe)
        self.addCleanup(self.stop_driver, self.driver)
        return started

    def stop_driver(self, process):
        end_program(process)
        wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000, check=False)

    def added(self, timeout=5):
        return self.tray.wait(lambda e: e["operation"] == "add" and e["accepted"] == "1",
                              timeout, "the icon")

    def open_menu_and_choose(self, item):
        add = self.added()
        # What the shell sends on a right click, in the form the icon asked for.
        wintest("post", DIALOG_CLASS, DIALOG_TITLE, int(add["callback"], 16), 0, WM_CONTEXTMENU)
        wintest("menu-choose", item, 5000, timeout_ms=5000)

    def test_the_icon_shows_no_board_then_the_board_then_the_calibration(self):
        started = self.start_driver()
        add = self.added()
        self.assertLessEqual(add["at"] - started, 3.0, "the icon came late")
        self.assertTrue(add["tip"].startswith(self.text("IDS_TRAY_NOBOARD")), add)
        not_connected_picture = add["picture"]

        board = serial_board(self.folder)
        self.addCleanup(board.shutdown)
        appeared = time.monotonic()
        connected = self.text("IDS_TRAY_SERIAL").replace("%1", SERIAL_PORT)
        change = self.tray.wait(lambda e: e["tip"] == connected, 5, "the connected tooltip")
        self.assertLessEqual(change["at"] - appeared, 3.0, "the connected state came late")
        self.assertNotEqual(change["picture"], not_connected_picture)
        self.tray.wait(lambda e: e["info"] == self.text("IDS_CONNECT")
                       and e["title"] == self.text("IDS_CONNECTCAP"), 3, "the connect balloon")

        shutil.copy2(context().program("orient/Orient.exe"), self.folder / "Orient.exe")
        self.open_menu_and_choose(CALIBRATE)
        wintest("wait-window", contract.ORIENTATION_WINDOW_CLASS, orient_title(), 8000,
                timeout_ms=8000)
        self.tray.wait(lambda e: e["tip"] == self.text("IDS_TRAY_CALIBRATING"), 5,
                       "the calibrating tooltip")
        wintest("post", contract.ORIENTATION_WINDOW_CLASS, orient_title(), WM_CLOSE, 0, 0)
        wintest("wait-gone", contract.ORIENTATION_WINDOW_CLASS, orient_title(), 5000,
                timeout_ms=5000)
        self.tray.wait(lambda e: e["tip"] == connected and e["at"] > change["at"], 5,
                       "the connected tooltip after the calibration")

    def test_the_icon_comes_back_when_the_taskbar_is_made_again(self):
        self.start_driver()
        first = self.added()
        # The shell restarts: its icons are gone, the new one says so to every window.
        self.tray.stop()
        self.tray = TrayWatch()
        wintest("broadcast-registered", "TaskbarCreated", 0, 0)
        again = self.added()
        self.assertEqual(again["tip"], first["tip"])

    def test_pen_buttons_starts_the_settings_tool(self):
        shutil.copy2(context().program("pensettings/LumeraSet.exe"), self.folder / "LumeraSet.exe")
        self.start_driver()
        self.open_menu_and_choose(PEN_BUTTONS)
        title = read_profile(self.language, "SetLumera", "IDC_TOP")
        wintest("wait-window", "#32770", title, 8000, timeout_ms=8000)
        wintest("post", "#32770", title, WM_CLOSE, 0, 0)

    def test_about_tells_the_version_and_exit_asks_first(self):
        self.start_driver()
        self.open_menu_and_choose(ABOUT)
        version = (Path(__file__).resolve().parents[2] / "VERSION").read_text().strip()
        about = wintest("msgbox", self.text("IDS_CONNECTCAP"), 5000, timeout_ms=5000)
        self.assertIn(version, "\n".join(about))
        self.open_menu_and_choose(EXIT)
        wintest("msgbox", self.text("IDS_CONNECTCAP"), 5000, IDYES, timeout_ms=5000)
        self.driver.wait(timeout=10)
        self.tray.wait(lambda e: e["operation"] == "delete", 3, "the icon going")

    def save_diagnostics(self):
        self.open_menu_and_choose(SAVE_DIAGNOSTICS)
        # The user cancels the folder picker: the desktop it is.
        wintest("owned-cancel", DIALOG_CLASS, DIALOG_TITLE, 8000, timeout_ms=8000)
        return "\n".join(wintest("msgbox", self.text("IDS_CONNECTCAP"), 8000, timeout_ms=8000))

    def desktop(self):
        """The user's desktop, moved into the work folder: Wine's is the Unix home."""
        desktop = self.folder / "Desktop"
        desktop.mkdir()
        key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
        wine(["reg", "add", key, "/v", "Desktop", "/t", "REG_EXPAND_SZ", "/d",
              windows_path(desktop), "/f"], timeout=60)
        self.addCleanup(wine, ["reg", "delete", key, "/v", "Desktop", "/f"], timeout=60)
        return desktop

    def test_save_diagnostics_writes_every_file_and_says_where_or_what_failed(self):
        replace_section(self.settings, contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
        (self.folder / contract.LOG_FILE_ORIENT).write_text("calibrated\r\n")
        saved = self.desktop() / DIAGNOSTICS_FOLDER
        self.start_driver()
        said = self.save_diagnostics()
        for name in DIAGNOSTICS_FILES:
            self.assertTrue((saved / name).is_file(), f"{name} missing; the box said {said}")
        self.assertIn(DIAGNOSTICS_FOLDER, said)
        self.assertNotIn(self.text("IDS_TRAY_NOT_SAVED"), said)
        self.assertEqual((saved / contract.SETTINGS_FILE_NAME).read_bytes(),
                         self.settings.read_bytes())

        # A file where the folder goes: the box says what could not be written.
        shutil.rmtree(saved)
        saved.write_text("in the way")
        said = self.save_diagnostics()
        self.assertIn(self.text("IDS_TRAY_NOT_SAVED"), said)
        self.assertIn(DIAGNOSTICS_FOLDER, said)

    def test_the_settings_file_hides_the_icon_and_a_nonsense_value_shows_it(self):
        replace_section(self.settings, contract.SETTINGS_FILE_INTERFACE_SECTION,
                        [f"{contract.SETTINGS_FILE_TRAY_ICON_KEY}=0"])
        self.start_driver()
        wintest("wait-window", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000)
        time.sleep(3)
        self.assertEqual(self.tray.all(), [])
        self.stop_driver(self.driver)

        replace_section(self.settings, contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
        replace_section(self.settings, contract.SETTINGS_FILE_INTERFACE_SECTION,
                        [f"{contract.SETTINGS_FILE_TRAY_ICON_KEY}=perhaps"])
        self.start_driver()
        self.added()
        log = self.folder / contract.LOG_FILE_DRIVER
        self.assertTrue(wait_for(lambda: log.exists() and "perhaps" in log.read_text(
            errors="replace"), 5), "the log does not say why")


def orient_title():
    return read_profile(Path(__file__).resolve().parents[2] / "resources" /
                        contract.LANGUAGE_FILE_NAME, "Orient", "IDS_ORIENT_CAPTION")
