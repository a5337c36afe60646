"""The real settings tool under Wine: its dialog as a user sees it, a save made from outside, and
a running driver that uses the new choice at once."""

import shutil
import sys
import time
import unittest
from pathlib import Path

import virtual_board as vb
from rig import (REPO, context, contract, end_program, read_profile, replace_section, serial_board,
                 start_program, start_wintest, wait_for, windows_path, wine, wintest, work_folder)
from test_driver import DIALOG_CLASS, DIALOG_TITLE, DRIVER_EXE, install_driver

sys.path.insert(0, str(REPO / "tools" / "companion"))
import bmp_to_png  # noqa: E402

TOOL_EXE = "pensettings/LumeraSet.exe"
TOOL_CLASS = "#32770"
LANGUAGE = REPO / "resources" / contract.LANGUAGE_FILE_NAME
SCREENSHOT = "e2e-artifacts/lumeraset.png"

WM_NCACTIVATE, WM_COMMAND, BM_CLICK, CB_SETCURSEL, CB_SHOWDROPDOWN = 0x86, 0x111, 0xF5, 0x14E, 0x14F
CBN_SELCHANGE = 1
IDOK, IDCANCEL = 1, 2
FRONT_LIST, BACK_LIST, DEFAULT_RADIO, CUSTOM_RADIO = 1008, 1010, 1009, 1011
# Control, then the language key of its text, in the order the tool sets them.
CONTROL_TEXTS = [(-1, "IDC_STATIC"), (1000, "IDC_STATIC1"), (1002, "IDC_STATIC2"),
                 (1012, "IDC_STATIC3"), (1009, "IDC_RADIO1"), (1011, "IDC_RADIO2"),
                 (IDOK, "IDOK"), (IDCANCEL, "IDCANCEL")]
# Fill colours of the pictures around the default choice (resources/make_pictures.py): the
# pen's blue, the eraser's pink, the hand's skin.
PICTURE_COLOURS = [(48, 116, 206), (240, 128, 146), (246, 204, 156)]
# Without a window manager nothing draws captions, unless Wine draws its own.
X11_DRIVER = r"HKCU\Software\Wine\X11 Driver"
MARLETT = Path("/usr/share/wine/fonts/marlett.ttf")
# The driver's command for each function; the companion gets it with lParam 100.
MAGNIFIER, FULL_SCREEN, MAGNIFIER_COMMAND = 8, 9, 37
COMPANION_CLASS, COMPANION_TITLE = contract.COMPANION_MAIN_CLASS, contract.COMPANION_MAIN_TITLE
BUTTON_KEYS = (contract.SETTINGS_FILE_USE_DEFAULTS_KEY, contract.SETTINGS_FILE_FRONT_CHOICE_KEY,
               contract.SETTINGS_FILE_BACK_CHOICE_KEY)


def text(key):
    return read_profile(LANGUAGE, "SetLumera", key)


def combo(title, control):
    lines = wintest("combo", TOOL_CLASS, title, control)
    values = dict(line.split(" ", 1) for line in lines if not line.startswith("item "))
    items = [line[5:] for line in lines if line.startswith("item ")]
    return int(values["selection"]), values["enabled"] == "1", items


class SettingsToolTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not context().program(TOOL_EXE).exists():
            raise AssertionError(f"{TOOL_EXE} is not built")

    def setUp(self):
        self.title = text("IDC_TOP")

    def install_tool(self, folder):
        """The tool beside the shipped INI files (or the driver's, when folder has them)."""
        shutil.copy2(context().program(TOOL_EXE), folder / "LumeraSet.exe")
        for name in (contract.LANGUAGE_FILE_NAME, contract.SETTINGS_FILE_NAME):
            if not (folder / name).exists():
                shutil.copy2(REPO / "resources" / name, folder / name)
        return folder / "LumeraSet.exe"

    def start_tool(self, exe):
        process = start_program(exe)
        self.addCleanup(end_program, process)
        wintest("wait-window", TOOL_CLASS, self.title, 8000, timeout_ms=8000)
        return process

    def send(self, control, message, wparam=0, lparam=0):
        return wintest("item-send", TOOL_CLASS, self.title, control, message, wparam, lparam)

    def choose(self, control, index):
        """What a user's pick does: the selection, then the list's change notice."""
        self.send(control, CB_SETCURSEL, index)
        wintest("post", TOOL_CLASS, self.title, WM_COMMAND,
                (CBN_SELCHANGE << 16) | control, 0)

    def assert_closes(self, process):
        try:
            process.wait(timeout=5)
        except Exception:
            self.fail("the tool is still running")
        self.assertEqual(wintest("find", TOOL_CLASS, self.title, check=False), [])

    def test_dialog_shows_the_language_texts_and_the_pictures_and_cancel_changes_nothing(self):
        folder = work_folder(self.id())
        exe = self.install_tool(folder)
        settings = (folder / contract.SETTINGS_FILE_NAME).read_bytes()
        # Wine finds its caption-button font only in the prefix's own font folder.
        fonts = Path(context().env["WINEPREFIX"]) / "drive_c" / "windows" / "Fonts"
        if MARLETT.exists() and not (fonts / MARLETT.name).exists():
            fonts.mkdir(parents=True, exist_ok=True)
            shutil.copy2(MARLETT, fonts)
        wine(["reg", "add", X11_DRIVER, "/v", "Decorated", "/d", "N", "/f"], timeout=30)
        self.addCleanup(wine, ["reg", "delete", X11_DRIVER, "/v", "Decorated", "/f"], timeout=30)
        process = self.start_tool(exe)

        for control, key in CONTROL_TEXTS:
            with self.subTest(control=control):
                self.assertEqual(wintest("text", TOOL_CLASS, self.title, control), [text(key)])
        functions = [text(f"IDC_BMP{i}") for i in range(1, 12)]
        self.assertEqual(combo(self.title, FRONT_LIST), (5, True, functions))
        self.assertEqual(combo(self.title, BACK_LIST), (6, True, functions))

        # Nothing activates a window here; draw the caption as that of the active one.
        wintest("post", TOOL_CLASS, self.title, WM_NCACTIVATE, 1, 0)
        self.send(FRONT_LIST, CB_SHOWDROPDOWN, 1)
        time.sleep(0.5)
        bmp = folder / "dialog.bmp"
        wintest("screenshot", TOOL_CLASS, self.title, windows_path(bmp))
        width, height, rows = bmp_to_png.read_bmp(bmp)
        png = context().build_dir / SCREENSHOT
        png.parent.mkdir(parents=True, exist_ok=True)
        bmp_to_png.write_png(png, width, height, rows)
        print(f"\n  screenshot {width}x{height}: {png}", file=sys.stderr)
        pixels = {tuple(row[i:i + 3]) for row in rows for i in range(0, len(row), 3)}
        for colour in PICTURE_COLOURS:
            self.assertIn(colour, pixels, "a list picture is missing from the screen")

        self.send(FRONT_LIST, CB_SHOWDROPDOWN, 0)
        self.send(DEFAULT_RADIO, BM_CLICK)  # then leave without saving
        self.assertEqual(combo(self.title, BACK_LIST)[1], False, "lists off in default mode")
        self.send(IDCANCEL, BM_CLICK)
        self.assert_closes(process)
        self.assertEqual((folder / contract.SETTINGS_FILE_NAME).read_bytes(), settings)

    def test_ok_from_outside_saves_and_the_running_driver_sends_the_new_command(self):
        self.assertTrue(context().program(DRIVER_EXE).exists(), f"{DRIVER_EXE} is not built")
        folder = work_folder(self.id())
        exe = install_driver(self.id() + ".driver")
        settings = exe.with_name(contract.SETTINGS_FILE_NAME)
        replace_section(settings, contract.SETTINGS_FILE_BUTTON_SECTION,
                        [f"{key}={value}" for key, value in zip(BUTTON_KEYS, (1, 5, 6))])
        messages = folder / "companion.log"
        companion = start_wintest("companion", COMPANION_CLASS, COMPANION_TITLE,
                                  windows_path(messages), 120)
        self.addCleanup(end_program, companion)
        wintest("wait-window", COMPANION_CLASS, COMPANION_TITLE, 5000, timeout_ms=5000)
        board = serial_board(folder)
        self.addCleanup(board.shutdown)
        driver = start_program(exe)
        self.addCleanup(wintest, "wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000,
                        timeout_ms=5000, check=False)
        self.addCleanup(end_program, driver)
        self.assertIsNotNone(board.wait_start(8), "the driver never wrote the start command")
        board.identify(vb.AREAS_ONE_PEN)

        tool = self.start_tool(self.install_tool(exe.parent))
        self.send(CUSTOM_RADIO, BM_CLICK)
        self.choose(FRONT_LIST, MAGNIFIER)
        self.choose(BACK_LIST, FULL_SCREEN)
        self.send(IDOK, BM_CLICK)
        self.assert_closes(tool)
        saved = [read_profile(settings, contract.SETTINGS_FILE_BUTTON_SECTION, key)
                 for key in BUTTON_KEYS]
        self.assertEqual(saved, ["0", str(MAGNIFIER), str(FULL_SCREEN)])

        board.button_click(*vb.LinearCalibration().board(800, 600), button=1)
        expected = f"{contract.COMPANION_NOTICE:#x} {MAGNIFIER_COMMAND:#x} 0x64"

        def reported():
            lines = messages.read_text().splitlines() if messages.exists() else []
            return expected in lines
        self.assertTrue(wait_for(reported, 3),
                        f"companion got {messages.read_text() if messages.exists() else ''}")


if __name__ == "__main__":
    unittest.main()
