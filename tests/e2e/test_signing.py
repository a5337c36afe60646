"""The signed release, with a throwaway certificate: every binary it ships, in the installers and
the zips too, carries a signature over its bytes, and the signed installers still install."""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path
from unittest import mock

from rig import context, registry_values, wait_for, wine, windows_path, work_folder
from test_installer import UNINSTALL_KEY, make_release_files, release, zipped_files
from test_msi import msi_payload

PASSWORD = "throwaway"


def make_certificate(folder: Path) -> tuple[Path, Path]:
    """A self-signed code-signing certificate: the .pfx to sign with, the .pem to trust."""
    key, certificate, pfx = folder / "key.pem", folder / "certificate.pem", folder / "test.pfx"
    for line in (["req", "-x509", "-newkey", "rsa:2048", "-keyout", key, "-out", certificate,
                  "-days", "2", "-nodes", "-subj", "/CN=Dravik release test"],
                 ["pkcs12", "-export", "-out", pfx, "-inkey", key, "-in", certificate,
                  "-passout", f"pass:{PASSWORD}"]):
        subprocess.run(["openssl", *map(str, line)], capture_output=True, check=True,
                       stdin=subprocess.DEVNULL)
    return pfx, certificate


def executables(files: dict[str, bytes]) -> dict[str, bytes]:
    return {name: data for name, data in files.items() if name.lower().endswith(".exe")}


def nsis_payload(setup: Path, folder: Path) -> dict[str, bytes]:
    """The files an NSIS installer carries, the uninstaller among them, as 7z unpacks them."""
    subprocess.run(["7z", "x", f"-o{folder}", str(setup)], capture_output=True, check=True,
                   stdin=subprocess.DEVNULL)
    return {path.name: path.read_bytes() for path in folder.iterdir() if path.is_file()}


def msi_binaries(msi: Path, folder: Path) -> dict[str, bytes]:
    """The programs an MSI carries but does not install (its Binary table)."""
    folder.mkdir(parents=True)
    # msidump writes the streams under the folder it runs in, whatever -d says.
    subprocess.run(["msidump", "-t", "-d", str(folder), str(msi)], capture_output=True,
                   check=True, stdin=subprocess.DEVNULL, cwd=folder)
    return {path.name: path.read_bytes() for path in (folder / "Binary").iterdir()}


class SignedReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = work_folder("signed-release")
        cls.pfx, cls.trusted = make_certificate(cls.folder)

    def signed_release(self, arch: str, build: Path) -> dict[str, Path]:
        with mock.patch.dict(os.environ, {"DRAVIK_SIGN_PASSWORD": PASSWORD}):
            return make_release_files(arch, build, self.folder / arch, "--sign", self.pfx)

    def assert_signed(self, where: str, files: dict[str, bytes]):
        for name, data in files.items():
            with tempfile.NamedTemporaryFile(suffix=Path(name).suffix) as copy:
                copy.write(data)
                copy.flush()
                result = subprocess.run(["osslsigncode", "verify", "-CAfile", str(self.trusted),
                                         "-in", copy.name], capture_output=True, text=True,
                                        stdin=subprocess.DEVNULL)
            self.assertEqual(result.returncode, 0, f"{where}: {name}: {result.stdout}")

    def test_every_shipped_binary_carries_a_signature_over_its_bytes(self):
        builds = {"x86_64": context().build_dir, "i686": context().build_dir.parent / "windows-x86"}
        programs = {program.file for program in release.programs()}
        for arch, build in builds.items():
            with self.subTest(arch):
                made = self.signed_release(arch, build)
                self.assert_signed("release", {path.name: path.read_bytes()
                                               for path in (made[".exe"], made[".msi"])})
                unpacked = Path(tempfile.mkdtemp(dir=self.folder))
                inside = {
                    "zip": executables(zipped_files(made[".zip"])),
                    "setup": executables(nsis_payload(made[".exe"], unpacked / "setup")),
                    "msi": executables(msi_payload(made[".msi"])),
                    "msi's own": msi_binaries(made[".msi"], unpacked / "msi"),
                }
                for where, files in inside.items():
                    self.assert_signed(where, files)
                self.assertLessEqual(programs, set(inside["zip"]))
                self.assertLessEqual(programs | {"Uninstall.exe"}, set(inside["setup"]))
                self.assertLessEqual(programs, set(inside["msi"]))
                self.assertTrue(inside["msi's own"])

    def test_signed_installers_still_install(self):
        made = self.signed_release("x86_64", context().build_dir)
        folder = work_folder(self.id())
        result = wine([made[".exe"], "/S", "/NOSTART", f"/D={windows_path(folder / 'nsis')}"],
                      timeout=120)
        self.assertEqual(result.returncode, 0)
        self.assertTrue((folder / "nsis" / "Dravik.exe").is_file())
        wine([folder / "nsis" / "Uninstall.exe", "/S", "/FULL"], timeout=60)
        # It goes on from a copy of itself; its registration goes last.
        self.assertTrue(wait_for(lambda: registry_values(UNINSTALL_KEY) is None, 30))

        result = wine(["msiexec", "/i", windows_path(made[".msi"]), "/qn", "NOSTART=1",
                       f"INSTALLDIR={windows_path(folder / 'msi')}\\"], timeout=180)
        self.assertEqual(result.returncode, 0)
        self.assertTrue((folder / "msi" / "Dravik.exe").is_file())
        self.assertEqual(wine(["msiexec", "/x", windows_path(made[".msi"]), "/qn"],
                              timeout=180).returncode, 0)

if __name__ == "__main__":
    unittest.main()
