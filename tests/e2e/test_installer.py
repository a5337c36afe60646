"""The release: the x86_64 installer run silently under Wine (install, an upgrade over a running
driver, refusals that change nothing and say why, logs, uninstall with and without the
calibration), and the i686 installer, which cannot run here, opened and checked."""

import getpass
import importlib.util
import os
import re
import signal
import struct
import subprocess
import sys
import time
import unittest
import zipfile
from importlib.machinery import SourceFileLoader
from pathlib import Path, PureWindowsPath

from rig import (REPO, context, contract, end_program, fields, registry_values, replace_section,
                 start_program, wait_for, windows_path, windows_processes, wine, wintest,
                 work_folder)
from setup_texts import says, setup_texts
from test_driver import DIALOG_CLASS, DIALOG_TITLE, DRIVER_EXE
from test_lumeraset import TOOL_CLASS, text

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravik"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
DRIVER = Path(DRIVER_EXE).name
SETTINGS = contract.SETTINGS_FILE_NAME
# Where a user who is not an administrator keeps a copy of the settings.
USER_SETTINGS = Path("AppData", "Roaming", contract.SETTINGS_FILE_USER_FOLDER_TOP,
                     contract.SETTINGS_FILE_USER_FOLDER, SETTINGS)
WM_CLOSE = 0x10
# The exit codes the README gives deployment tools.
STOPPED = 2
BUSY = 1618
NEWER_INSTALLED = 1638
TEXTS = setup_texts()
# scripts/e2e-env runs Wine under LANG=zh_CN.UTF-8, so the installer speaks Chinese here.
SAID = TEXTS["SIMPCHINESE"]
I686 = 0x14C  # the PE header's machine


def load_release_script():
    path = REPO / "installer" / "make-installer"
    loader = SourceFileLoader("make_installer", str(path))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


release = load_release_script()


def make_release_files(arch: str, build: Path, out: Path, *switches) -> dict[str, Path]:
    """Runs the release script as scripts/package does; what it made by suffix (the NSIS
    installer under .exe)."""
    script = REPO / "installer" / "make-installer"
    result = subprocess.run([str(script), *switches, arch, str(build), str(out)],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        raise AssertionError(f"make-installer {arch}: {result.stdout}{result.stderr}")
    return {path.suffix: path for path in map(Path, result.stdout.split())}


def zipped_files(archive: Path) -> dict[str, bytes]:
    with zipfile.ZipFile(archive) as zip_file:
        return {Path(name).name: zip_file.read(name) for name in zip_file.namelist()}


def make_release(arch: str, build: Path, out: Path) -> tuple[Path, dict[str, bytes]]:
    """The NSIS installer and the zip's files."""
    made = make_release_files(arch, build, out)
    return made[".exe"], zipped_files(made[".zip"])


def pe_machine(data: bytes) -> int:
    header = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[header:header + 4] == b"PE\0\0"
    return struct.unpack_from("<H", data, header + 4)[0]


def file_version(data: bytes):
    """MAJOR.MINOR.PATCH from the fixed part of the version resource, or None."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    most, least = struct.unpack_from("<II", data, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}"


def start_menu() -> Path:
    return Path(context().env["WINEPREFIX"], "drive_c", "ProgramData", "Microsoft", "Windows",
                "Start Menu", "Programs")


def temp_folder() -> Path:
    return Path(context().env["WINEPREFIX"], "drive_c", "users", getpass.getuser(), "Temp")


def log_lines(path: Path) -> list[str]:
    return path.read_text(encoding="utf-16").splitlines() if path.exists() else []


def dialog_texts(title: str) -> list[str]:
    """The title and the texts of every visible control of a setup window, line breaks kept."""
    lines = wintest("texts", "#32770", title, check=False)
    shown = [line.split(" ", 3)[3] for line in lines
             if line.startswith("child ") and line.split(" ", 3)[2] == "1"]
    shown += [line[len("title "):] for line in lines if line.startswith("title ")]
    return [re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r"}.get(m[1], m[1]), text)
            for text in shown]


def setup_window(caption: str):
    """The title of the setup's visible window under that caption (a page appends its own
    caption), or None."""
    for line in wintest("list"):
        _, visible, kind, title = (line.split(" ", 3) + [""])[:4]
        if visible == "1" and kind == "#32770" and title.strip() == caption:
            return title
    return None


def page_texts(caption: str, text: str) -> list[str]:
    """What the setup's window under caption shows, once it shows text or after a while."""
    shown = []

    def showing() -> bool:
        title = setup_window(caption)
        shown[:] = dialog_texts(title) if title else []
        return any(says(line, text) for line in shown)

    wait_for(showing, 20)
    return shown


def end_drivers():
    for _ in range(5):
        if not wintest("find", DIALOG_CLASS, DIALOG_TITLE, check=False):
            return
        wintest("post", DIALOG_CLASS, DIALOG_TITLE, WM_CLOSE, 0, 0, check=False)
        wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 10000, timeout_ms=10000, check=False)


class InstalledFolderChecks:
    """What an installation into self.folder left, for tests with the release's files in
    self.packaged."""

    def drivers(self) -> list[str]:
        return [line.strip() for line in windows_processes() if line.strip().endswith(DRIVER)]

    def run_logging_driver_beside_a_users_file(self):
        """A driver that writes its log file, and a file of the technician's ("notes.txt"):
        what a removal must and must not take."""
        replace_section(self.folder / SETTINGS, contract.SETTINGS_FILE_DIAGNOSTICS_SECTION,
                        [f"{contract.SETTINGS_FILE_LOG_FILE_KEY}=1"])
        driver = start_program(self.folder / DRIVER)
        self.addCleanup(end_program, driver)
        self.assertTrue(wait_for(lambda: len(list(self.folder.glob("*.log"))) == 1, 10),
                        "the driver wrote no log")
        (self.folder / "notes.txt").write_text("room 12")

    def wait_for_driver(self):
        wintest("wait-window", DIALOG_CLASS, DIALOG_TITLE, 10000, timeout_ms=10000)

    def start_menus(self) -> list[Path]:
        return [start_menu()]

    def shortcuts(self) -> dict[str, Path]:
        """Start-menu shortcut name to its file, for every program the list gives one."""
        found = {}
        for program in release.programs():
            if program.shortcut:
                links = [link for folder in self.start_menus()
                         for link in folder.rglob(f"{program.shortcut}.lnk")]
                found[program.shortcut] = links[0] if len(links) == 1 else None
        return found

    def make_outdated(self, *names):
        """Stands in for an older release: other bytes in the files, each a new file, so that
        a program that runs keeps its image."""
        for name in names:
            path = self.folder / name
            path.with_name(name + ".old").write_bytes(b"older release of " + name.encode())
            os.replace(path.with_name(name + ".old"), path)

    def assert_packaged(self, names):
        for name in names:
            self.assertEqual((self.folder / name).read_bytes(), self.packaged[name], name)


class InstallerTest(InstalledFolderChecks, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.setup, cls.packaged = make_release("x86_64", context().build_dir,
                                               work_folder("release-x86_64"))

    def setUp(self):
        self.folder = work_folder(self.id()) / "Dravik Board"
        self.addCleanup(self.remove_traces)

    def remove_traces(self):
        """What a test left in the prefix: drivers, registry entries, shortcuts."""
        end_drivers()
        wine(["reg", "delete", UNINSTALL_KEY, "/f"], timeout=60)
        for name, data in (registry_values(RUN_KEY) or {}).items():
            if windows_path(self.folder) in data:
                wine(["reg", "delete", RUN_KEY, "/v", name, "/f"], timeout=60)
        for link in list(start_menu().rglob("*.lnk")):
            if windows_path(self.folder).encode() in link.read_bytes():
                link.unlink()
                if link.parent != start_menu() and not any(link.parent.iterdir()):
                    link.parent.rmdir()

    def install(self, *switches, folder: str = "") -> int:
        """The installer, silent, into self.folder (or the Windows folder given); its exit code."""
        folder = folder or windows_path(self.folder)
        line = f"{windows_path(self.setup)} /S {' '.join(switches)} /D={folder}"
        # Wine has failed to create a process now and then on a loaded machine; that says
        # nothing about the installer, so a start that fails is tried again.
        for attempt in range(3):
            result = wine([context().wintest, "launch", line, 120000], timeout=140)
            if result.returncode != 2:
                break
            print(f"install: {result.stderr.decode('utf-8', 'replace').strip()}, "
                  f"attempt {attempt + 1}", file=sys.stderr)
            time.sleep(1)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
        return int(fields(result.stdout.decode("utf-8").splitlines())["exit"])

    @staticmethod
    def split_command(command: str) -> list[str]:
        """A quoted program and its switches, or a path as it stands."""
        if command.startswith('"'):
            program, rest = command[1:].split('"', 1)
            return [program, *rest.split()]
        return [command]

    def installed(self, command: str) -> Path:
        """The file that a registered command names; it must lie in the installation folder."""
        path = PureWindowsPath(self.split_command(command)[0])
        self.assertEqual(str(path.parent), windows_path(self.folder), command)
        return self.folder / path.name

    def uninstall(self, *switches):
        """The registered quiet uninstall command, as a deployment tool runs it."""
        command = registry_values(UNINSTALL_KEY)["QuietUninstallString"]
        uninstaller = self.installed(command)
        result = wine([*self.split_command(command), *switches], timeout=60)
        self.assertEqual(result.returncode, 0)
        # It goes on from a copy of itself; its registration goes last.
        self.assertTrue(wait_for(lambda: not uninstaller.exists()
                                 and registry_values(UNINSTALL_KEY) is None, 30),
                        "the uninstaller did not finish")

    def test_silent_install_puts_every_file_in_place_registers_and_starts_the_driver(self):
        self.assertEqual(self.install(), 0)

        registration = registry_values(UNINSTALL_KEY)
        uninstaller = self.installed(registration["UninstallString"])
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()),
                         sorted([*self.packaged, uninstaller.name]))
        self.assertIn(contract.LANGUAGE_FILE_ENGLISH_NAME, self.packaged)
        self.assert_packaged(self.packaged)
        for program in release.programs():
            self.assertEqual(file_version(self.packaged[program.file]), release.version(),
                             program.file)

        runs = registry_values(RUN_KEY)
        self.assertIn(f'"{windows_path(self.folder / DRIVER)}"', runs.values(), runs)

        self.assertTrue(registration["DisplayName"] and registration["Publisher"], registration)
        self.assertEqual(registration["DisplayVersion"], release.version())
        self.assertEqual(registration["InstallLocation"], windows_path(self.folder))
        self.assertEqual(self.installed(registration["DisplayIcon"]).name, DRIVER)
        self.assertEqual(registration["QuietUninstallString"],
                         registration["UninstallString"] + " /S")
        size = sum(p.stat().st_size for p in self.folder.iterdir()) // 1024
        self.assertLessEqual(abs(registration["EstimatedSize"] - size), 1, registration)

        for name, link in self.shortcuts().items():
            self.assertIsNotNone(link, name)
            self.assertIn(windows_path(self.folder).encode(), link.read_bytes(), name)

        self.wait_for_driver()
        styles = dict(line.split(" ", 1) for line in wintest("styles", DIALOG_CLASS, DIALOG_TITLE))
        self.assertEqual(styles["visible"], "0")
        self.assertEqual(self.drivers(), [windows_path(self.folder / DRIVER)])

    def test_upgrade_ends_the_running_driver_keeps_the_calibration_and_replaces_the_rest(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        old = start_program(self.folder / DRIVER)
        self.addCleanup(end_program, old)
        self.wait_for_driver()
        settings = self.folder / SETTINGS
        replace_section(settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        [f"{contract.SETTINGS_FILE_COLUMNS_KEY}=3",
                         f"{contract.SETTINGS_FILE_ROWS_KEY}=2",
                         f"{contract.SETTINGS_FILE_ORIENT_KEY}=1"])
        calibrated = settings.read_bytes()
        others = [name for name in self.packaged if name != SETTINGS]
        self.make_outdated(*others)

        self.assertEqual(self.install(), 0)
        try:
            old.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.fail("the old driver still runs")
        self.assertEqual(settings.read_bytes(), calibrated)
        self.assert_packaged(others)
        self.wait_for_driver()
        self.assertEqual(self.drivers(), [windows_path(self.folder / DRIVER)])

    def test_install_changes_nothing_while_a_program_cannot_be_stopped(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        tool = start_program(self.folder / "LumeraSet.exe")
        self.addCleanup(end_program, tool)
        wintest("wait-window", TOOL_CLASS, text("IDC_TOP"), 8000, timeout_ms=8000)
        # The programs have read it; a change that stays shows that nothing was written.
        self.make_outdated(contract.LANGUAGE_FILE_NAME)
        outdated = (self.folder / contract.LANGUAGE_FILE_NAME).read_bytes()

        with self.subTest("the settings tool is open"):
            self.assertEqual(self.install(), BUSY)
            self.assertEqual((self.folder / contract.LANGUAGE_FILE_NAME).read_bytes(), outdated)
            end_program(tool)

        with self.subTest("the driver hangs"):
            driver = start_program(self.folder / DRIVER)
            self.addCleanup(end_program, driver)
            self.wait_for_driver()
            os.kill(driver.pid, signal.SIGSTOP)
            self.addCleanup(os.kill, driver.pid, signal.SIGCONT)
            self.assertEqual(self.install(), BUSY)
            self.assertEqual((self.folder / contract.LANGUAGE_FILE_NAME).read_bytes(), outdated)

    def test_install_ends_the_driver_through_its_end_event_or_else_its_window(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        for case in ("event", "window"):
            with self.subTest(case):
                if case == "event":
                    # Out of the window route's sight, as a driver in another session is.
                    renamed = DIALOG_TITLE + " elsewhere"
                    driver = start_program(self.folder / DRIVER)
                    self.addCleanup(end_program, driver)
                    self.wait_for_driver()
                    wintest("retitle", DIALOG_CLASS, DIALOG_TITLE, renamed)
                    wintest("find", DIALOG_CLASS, renamed)
                else:
                    # Another object holds the event's name: the driver runs without the
                    # event, as an older one does.
                    holder = start_program(Path(context().wintest), "hold-mutex",
                                           contract.DRIVER_WINDOW_END_EVENT, 60000)
                    self.addCleanup(end_program, holder)
                    time.sleep(2)
                    driver = start_program(self.folder / DRIVER)
                    self.addCleanup(end_program, driver)
                    self.wait_for_driver()
                self.assertEqual(self.install("/NOSTART"), 0)
                try:
                    driver.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    self.fail("the driver still runs")
                if case == "window":
                    end_program(holder)

    def test_only_administrators_may_signal_the_end_event(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        driver = start_program(self.folder / DRIVER)
        self.addCleanup(end_program, driver)
        self.wait_for_driver()
        access = {mode: fields(wintest("event-access", contract.DRIVER_WINDOW_END_EVENT, mode))
                  for mode in ("normal", "restricted")}
        print(f"end event access: {access}", file=sys.stderr)
        self.assertEqual(access["normal"], {"wait": "1", "signal": "1"})
        self.assertEqual(access["restricted"]["wait"], "1")
        if access["restricted"]["signal"] == "1":
            self.skipTest("this Wine does not take the Administrators group out of a token")
        self.assertEqual(access["restricted"]["signal"], "5")  # ERROR_ACCESS_DENIED
        self.assertIsNone(driver.poll(), "a denied signal ended the driver")

    def test_install_refuses_beside_the_other_architecture(self):
        # The i686 release's registration, in the 32-bit view.
        wine(["reg", "add", UNINSTALL_KEY, "/v", "InstallLocation", "/d", r"C:\elsewhere", "/f",
              "/reg:32"], timeout=60)
        self.addCleanup(wine, ["reg", "delete", UNINSTALL_KEY, "/f", "/reg:32"], timeout=60)
        self.assertEqual(self.install(), STOPPED)
        self.assertFalse(self.folder.exists())
        self.assertIsNone(registry_values(UNINSTALL_KEY))

    def test_pages_and_message_boxes_speak_the_users_interface_language(self):
        # Wine takes the interface language from LC_MESSAGES, the rest of the locale from LANG.
        # German stands for every language the installer does not speak.
        rows = [({}, "SIMPCHINESE"),
                ({"LC_MESSAGES": "en_US.UTF-8"}, "ENGLISH"),
                ({"LANG": "en_US.UTF-8", "LC_MESSAGES": "zh_CN.UTF-8"}, "SIMPCHINESE"),
                ({"LC_MESSAGES": "de_DE.UTF-8"}, "ENGLISH")]
        for locale, language in rows:
            with self.subTest("first page", language=language, **locale):
                setup = start_program(self.setup, env=locale)
                # Ended before the verdict: a setup left running would refuse the next rows.
                try:
                    shown = page_texts(TEXTS[language]["SetupCaption"],
                                       TEXTS[language]["DirectoryTop"])
                    windows = wintest("list")
                finally:
                    end_program(setup)
                self.assertTrue(any(says(text, TEXTS[language]["DirectoryTop"]) for text in shown),
                                f"{shown} {windows}")

        # The i686 release's registration, in the 32-bit view: the installer refuses.
        wine(["reg", "add", UNINSTALL_KEY, "/v", "InstallLocation", "/d", r"C:\elsewhere", "/f",
              "/reg:32"], timeout=60)
        self.addCleanup(wine, ["reg", "delete", UNINSTALL_KEY, "/f", "/reg:32"], timeout=60)
        for locale, language in rows:
            with self.subTest("refusal", language=language, **locale):
                setup = start_program(self.setup, env=locale)
                try:
                    said = "\n".join(wintest("msgbox", TEXTS[language]["SetupCaption"], 20000,
                                              timeout_ms=20000))
                    code = setup.wait(timeout=20)
                finally:
                    end_program(setup)
                self.assertTrue(says(said, TEXTS[language]["OtherArchitecture"]), said)
                self.assertEqual(code, STOPPED)

    def assert_refused(self, code: int, reason: str, log: Path, *switches,
                       folder: str = "") -> list[str]:
        """The installer ends with code, the log's last lines say why (the installer's text
        named reason), and nothing changed; the log's lines."""
        log.unlink(missing_ok=True)
        before = {p.name: p.read_bytes() for p in self.folder.iterdir()} \
            if self.folder.exists() else None
        registration = registry_values(UNINSTALL_KEY)
        exit_code = self.install(*switches, folder=folder)
        lines = log_lines(log)
        self.assertEqual(exit_code, code, lines)
        self.assertTrue(says(" ".join(lines[-2:]), SAID[reason]), lines)
        self.assertEqual(lines[-1], f"Exit code {code}", lines)
        after = {p.name: p.read_bytes() for p in self.folder.iterdir()} \
            if self.folder.exists() else None
        self.assertEqual(after, before)
        self.assertEqual(registry_values(UNINSTALL_KEY), registration)
        return lines

    def test_log_names_every_step_file_and_the_exit_code_for_setup_and_uninstaller(self):
        log = self.folder.parent / "setup.log"
        self.assertEqual(self.install("/NOSTART", f"/LOG={windows_path(log)}"), 0)
        lines = log_lines(log)
        uninstaller = self.installed(registry_values(UNINSTALL_KEY)["UninstallString"])
        for name in [*self.packaged, uninstaller.name]:
            self.assertIn(f"Wrote {windows_path(self.folder / name)}", lines)
        self.assertTrue(any(line.startswith("Shortcut ") for line in lines), lines)
        self.assertTrue(lines[-1].endswith("Exit code 0"), lines)

        # A silent run without /LOG= writes to %TEMP%; an upgrade keeps the calibration.
        self.assertEqual(self.install("/NOSTART"), 0)
        lines = log_lines(temp_folder() / "Dravik-setup.log")
        self.assertIn(f"Kept {windows_path(self.folder / SETTINGS)}", lines)
        self.assertTrue(lines[-1].endswith("Exit code 0"), lines)

        uninstall_log = temp_folder() / "Dravik-uninstall.log"
        uninstall_log.unlink(missing_ok=True)
        self.uninstall()
        self.assertTrue(wait_for(lambda: log_lines(uninstall_log)[-1:] != [] and
                                 log_lines(uninstall_log)[-1].endswith("Exit code 0"), 10),
                        log_lines(uninstall_log))
        for program in release.programs():
            self.assertIn(f"Removed {windows_path(self.folder / program.file)}",
                          log_lines(uninstall_log))

    def test_bad_folders_and_log_paths_end_with_a_code_and_a_reason_and_change_nothing(self):
        default_log = temp_folder() / "Dravik-setup.log"
        cases = [
            ("too long", "FolderTooLong", windows_path(self.folder / ("a" * 200)), []),
            ("no such drive", "FolderUnusable", r"Q:\Dravik", []),
            ("log in a missing folder", "LogNotWritable", "",
             [f"/LOG={windows_path(self.folder.parent / 'missing' / 'setup.log')}"]),
        ]
        for name, reason, folder, switches in cases:
            with self.subTest(name):
                self.assert_refused(STOPPED, reason, default_log, *switches, folder=folder)
                self.assertFalse(self.folder.exists())

    def test_refuses_a_downgrade_and_a_second_setup_unless_told(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        log = temp_folder() / "Dravik-setup.log"
        newer = release.version() + ".1"
        wine(["reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/d", newer, "/f"],
             timeout=60)
        self.assertIn(newer, self.assert_refused(NEWER_INSTALLED, "NewerInstalled", log)[-2])

        with self.subTest("a second setup runs"):
            first = start_program(self.setup)
            self.addCleanup(end_program, first)
            wintest("wait-window", "#32770", SAID["SetupCaption"], 20000, timeout_ms=20000)
            self.assert_refused(BUSY, "AnotherSetupRuns", log, "/DOWNGRADE")
            end_program(first)

        self.assertEqual(self.install("/NOSTART", "/DOWNGRADE"), 0)
        self.assertEqual(registry_values(UNINSTALL_KEY)["DisplayVersion"], release.version())

    def test_silent_uninstall_removes_all_but_the_calibration_and_files_it_did_not_make(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        self.run_logging_driver_beside_a_users_file()
        shortcuts = self.shortcuts()

        self.uninstall()
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()), [SETTINGS, "notes.txt"])
        wintest("wait-gone", DIALOG_CLASS, DIALOG_TITLE, 5000, timeout_ms=5000)
        self.assertEqual(self.drivers(), [])
        runs = registry_values(RUN_KEY) or {}
        self.assertNotIn(windows_path(self.folder), " ".join(runs.values()), runs)
        for name, link in shortcuts.items():
            self.assertFalse(link.parent.exists(), name)

    def test_full_removal_switch_removes_the_calibration_too(self):
        self.assertEqual(self.install("/NOSTART"), 0)
        user_copy = Path(context().env["WINEPREFIX"], "drive_c", "users", getpass.getuser(),
                         USER_SETTINGS)
        user_copy.parent.mkdir(parents=True, exist_ok=True)
        user_copy.write_bytes(self.packaged[SETTINGS])

        self.uninstall("/FULL")
        wait_for(lambda: not self.folder.exists(), 10)
        self.assertFalse(self.folder.exists())
        self.assertFalse(user_copy.parent.parent.exists())


class I686ReleaseTest(unittest.TestCase):
    def test_i686_installer_holds_every_program_built_for_i686(self):
        build = context().build_dir.parent / "windows-x86"
        setup, packaged = make_release("i686", build, work_folder("release-i686"))
        self.assertEqual(pe_machine(setup.read_bytes()), I686)

        listing = subprocess.run(["7z", "l", "-slt", str(setup)], capture_output=True, text=True,
                                 check=True, stdin=subprocess.DEVNULL).stdout
        payload = {line[7:] for line in listing.splitlines() if line.startswith("Path = ")}
        self.assertLessEqual(set(packaged), payload)
        for name, data in packaged.items():
            extracted = subprocess.run(["7z", "x", "-so", str(setup), name], capture_output=True,
                                       check=True, stdin=subprocess.DEVNULL).stdout
            self.assertEqual(extracted, data, name)
        for program in release.programs():
            self.assertEqual(pe_machine(packaged[program.file]), I686, program.file)
            self.assertEqual(file_version(packaged[program.file]), release.version(),
                             program.file)


if __name__ == "__main__":
    unittest.main()
