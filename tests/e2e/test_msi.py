"""The MSI, as a Group Policy deployment runs it: msiexec /qn under Wine (install, a major
upgrade over a running driver, removal), and the tables such a deployment reads, on Linux."""

import getpass
import os
import signal
import subprocess
import tempfile
import unittest
from pathlib import Path

from rig import (context, contract, end_program, registry_values, replace_section,
                 start_program, wait_for, windows_path, windows_processes, wine, work_folder)
from test_installer import (DRIVER, I686, RUN_KEY, SETTINGS, InstalledFolderChecks, end_drivers,
                            make_release_files, pe_machine, release, start_menu, zipped_files)

UNINSTALL_ROOT = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
TEMPLATE = release.msi.template_name(SETTINGS)
STEPS = release.msi.STEPS


def later(version: str) -> str:
    major, minor, patch = version.split(".")
    return f"{major}.{minor}.{int(patch) + 1}"


def msi_table(msi: Path, table: str) -> list[list[str]]:
    """A table's rows, without msiinfo's three header lines."""
    text = subprocess.run(["msiinfo", "export", str(msi), table], capture_output=True, text=True,
                          check=True, stdin=subprocess.DEVNULL).stdout
    return [line.split("\t") for line in text.splitlines()[3:]]


def msi_properties(msi: Path) -> dict[str, str]:
    return {row[0]: row[1] for row in msi_table(msi, "Property")}


def msi_summary(msi: Path) -> dict[str, str]:
    text = subprocess.run(["msiinfo", "suminfo", str(msi)], capture_output=True, text=True,
                          check=True, stdin=subprocess.DEVNULL).stdout
    return dict(line.split(": ", 1) for line in text.splitlines() if ": " in line)


def msi_payload(msi: Path) -> dict[str, bytes]:
    """The installed files, by name, as the MSI's cabinet holds them."""
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["msiextract", "-C", folder, str(msi)], capture_output=True, check=True,
                       stdin=subprocess.DEVNULL)
        return {path.name: path.read_bytes() for path in Path(folder).rglob("*")
                if path.is_file()}


class MsiTest(InstalledFolderChecks, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = context().build_dir
        made = make_release_files("x86_64", build, work_folder("msi-x86_64"))
        cls.msi, cls.packaged = made[".msi"], zipped_files(made[".zip"])
        made = make_release_files("x86_64", build, work_folder("msi-x86_64-later"),
                                  "--version", later(release.version()))
        cls.later_msi, cls.later_packaged = made[".msi"], zipped_files(made[".zip"])

    def setUp(self):
        self.folder = work_folder(self.id()) / "Dravik Board"
        self.addCleanup(self.remove_traces)

    def remove_traces(self):
        end_drivers()
        for msi in (self.msi, self.later_msi):
            wine(["msiexec", "/x", windows_path(msi), "/qn"], timeout=120)

    def start_menus(self) -> list[Path]:
        # Wine's msiexec puts a per-machine package's shortcuts in the installing user's
        # Start menu; Windows puts them in the one for all users.
        user = Path(context().env["WINEPREFIX"], "drive_c", "users", getpass.getuser(), "AppData",
                    "Roaming", "Microsoft", "Windows", "Start Menu", "Programs")
        return [start_menu(), user]

    def msiexec(self, action: str, msi: Path, *properties) -> int:
        """Its exit code; an installation goes into self.folder, a removal finds it there."""
        if action == "/i":
            properties = (f"INSTALLDIR={windows_path(self.folder)}\\", *properties)
        result = wine(["msiexec", action, windows_path(msi), "/qn", *properties], timeout=180)
        return result.returncode

    def registration(self, msi: Path):
        return registry_values(f"{UNINSTALL_ROOT}\\{msi_properties(msi)['ProductCode']}")

    @staticmethod
    def expected_files(packaged: dict[str, bytes]) -> dict[str, bytes]:
        """What an installation holds: the settings file is made from the template."""
        return {**packaged, TEMPLATE: packaged[SETTINGS]}

    def test_install_puts_every_file_in_place_registers_and_starts_the_driver(self):
        self.assertEqual(self.msiexec("/i", self.msi), 0)

        expected = self.expected_files(self.packaged)
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()), sorted(expected))
        for name, data in expected.items():
            self.assertEqual((self.folder / name).read_bytes(), data, name)
        runs = registry_values(RUN_KEY)
        self.assertIn(f'"{windows_path(self.folder / DRIVER)}"', runs.values(), runs)
        # What the setup program writes into its own registration.
        registration = self.registration(self.msi)
        self.assertEqual(registration["DisplayVersion"], release.version(), registration)
        self.assertTrue(registration["DisplayName"] and registration["Publisher"], registration)
        # Windows also names the icon (ARPPRODUCTICON); Wine's msiexec does not.
        self.assertEqual(registration["InstallLocation"], windows_path(self.folder) + "\\")
        self.assertEqual((registration["NoModify"], registration["NoRepair"]), (1, 1))
        for name, link in self.shortcuts().items():
            self.assertIsNotNone(link, name)
            self.assertIn(windows_path(self.folder).encode(), link.read_bytes(), name)

        self.wait_for_driver()
        self.assertEqual(self.drivers(), [windows_path(self.folder / DRIVER)])
        self.assertFalse([line for line in windows_processes() if STEPS in line])

    def test_upgrade_ends_the_running_driver_keeps_the_calibration_and_replaces_the_rest(self):
        self.assertEqual(self.msiexec("/i", self.msi, "NOSTART=1"), 0)
        self.assertEqual(self.drivers(), [])
        old = start_program(self.folder / DRIVER)
        self.addCleanup(end_program, old)
        self.wait_for_driver()
        settings = self.folder / SETTINGS
        replace_section(settings, contract.SETTINGS_FILE_COORDINATE_SECTION,
                        [f"{contract.SETTINGS_FILE_COLUMNS_KEY}=3",
                         f"{contract.SETTINGS_FILE_ROWS_KEY}=2"])
        calibrated = settings.read_bytes()
        upgraded = self.expected_files(self.later_packaged)
        others = [name for name in upgraded if name != SETTINGS]
        self.make_outdated(*others)

        self.assertEqual(self.msiexec("/i", self.later_msi), 0)
        try:
            old.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.fail("the old driver still runs")
        self.assertEqual(settings.read_bytes(), calibrated)
        for name in others:
            self.assertEqual((self.folder / name).read_bytes(), upgraded[name], name)
        self.assertIsNone(self.registration(self.msi))
        self.assertEqual(self.registration(self.later_msi)["DisplayVersion"],
                         later(release.version()))
        self.wait_for_driver()
        self.assertEqual(self.drivers(), [windows_path(self.folder / DRIVER)])

    def test_upgrade_changes_nothing_while_the_driver_hangs(self):
        self.assertEqual(self.msiexec("/i", self.msi, "NOSTART=1"), 0)
        driver = start_program(self.folder / DRIVER)
        self.addCleanup(end_program, driver)
        self.wait_for_driver()
        os.kill(driver.pid, signal.SIGSTOP)
        self.addCleanup(os.kill, driver.pid, signal.SIGCONT)
        self.make_outdated(contract.LANGUAGE_FILE_NAME)
        outdated = (self.folder / contract.LANGUAGE_FILE_NAME).read_bytes()

        # Windows says 1603; under Wine it is 1627, of which Linux keeps the low byte.
        self.assertNotEqual(self.msiexec("/i", self.later_msi), 0)
        self.assertEqual((self.folder / contract.LANGUAGE_FILE_NAME).read_bytes(), outdated)
        self.assertIsNotNone(self.registration(self.msi))
        self.assertIsNone(self.registration(self.later_msi))

    def test_a_nonsense_property_changes_nothing(self):
        # Windows logs the condition's message; Wine's msiexec does not.
        self.assertNotEqual(self.msiexec("/i", self.msi, "NOSTART=yes"), 0)
        self.assertFalse(self.folder.exists())
        self.assertIsNone(self.registration(self.msi))

    def test_removal_takes_what_it_installed_and_leaves_the_calibration(self):
        self.assertEqual(self.msiexec("/i", self.msi, "NOSTART=1"), 0)
        self.run_logging_driver_beside_a_users_file()
        shortcuts = self.shortcuts()

        self.assertEqual(self.msiexec("/x", self.msi), 0)
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()), [SETTINGS, "notes.txt"])
        self.assertEqual(self.drivers(), [])
        runs = registry_values(RUN_KEY) or {}
        self.assertNotIn(windows_path(self.folder), " ".join(runs.values()), runs)
        self.assertIsNone(self.registration(self.msi))
        for name, link in shortcuts.items():
            self.assertFalse(link.parent.exists(), name)


class MsiTablesTest(unittest.TestCase):
    """What a Group Policy deployment reads from the package, for both architectures."""

    def test_each_architecture_is_a_per_machine_product_line_of_its_own(self):
        builds = {"x86_64": context().build_dir, "i686": context().build_dir.parent / "windows-x86"}
        version = release.version()
        upgrade_codes = set()
        for arch, build in builds.items():
            with self.subTest(arch):
                made = make_release_files(arch, build, work_folder(f"msi-tables-{arch}"))
                msi, packaged = made[".msi"], zipped_files(made[".zip"])
                properties = msi_properties(msi)
                self.assertEqual(properties["ALLUSERS"], "1")
                self.assertEqual(properties["ProductVersion"], version)
                self.assertTrue(properties["Manufacturer"])
                upgrade_codes.add(properties["UpgradeCode"])
                self.assertEqual(msi_summary(msi)["Template"].split(";")[0],
                                 {"x86_64": "x64", "i686": "Intel"}[arch])

                later_msi = make_release_files(arch, build, work_folder(f"msi-later-{arch}"),
                                               "--version", later(version))[".msi"]
                again = msi_properties(later_msi)
                self.assertEqual(again["UpgradeCode"], properties["UpgradeCode"])
                self.assertNotEqual(again["ProductCode"], properties["ProductCode"])
                self.assertEqual(again["ProductVersion"], later(version))

                payload = msi_payload(msi)
                packaged[TEMPLATE] = packaged.pop(SETTINGS)
                self.assertEqual(payload, packaged)
                for program in release.programs():
                    self.assertEqual(pe_machine(payload[program.file]) == I686, arch == "i686",
                                     program.file)
        self.assertEqual(len(upgrade_codes), len(builds))


if __name__ == "__main__":
    unittest.main()
