"""Authenticode signatures for the release, with osslsigncode: the programs before they go into
the installers and the zips, the NSIS uninstaller as makensis writes it, and the installers."""

import os
import shlex
import subprocess
import sys
from pathlib import Path

PASSWORD_VARIABLE = "DRAVIK_SIGN_PASSWORD"
DESCRIPTION = "Dravik Whiteboard Driver"


class Signer:
    def __init__(self, certificate: Path, timestamp: str = ""):
        if PASSWORD_VARIABLE not in os.environ:
            sys.exit(f"signing: set {PASSWORD_VARIABLE} to the password of {certificate}")
        self.certificate = certificate.resolve()
        self.timestamp = timestamp

    def switches(self) -> list[str]:
        """make-installer's switches that sign the same way."""
        return ["--sign", str(self.certificate)] + (
            ["--timestamp", self.timestamp] if self.timestamp else [])

    def sign(self, path: Path):
        """Signs the file in place; the password goes through a pipe, not the command line."""
        signed = path.with_name(path.name + ".signed")
        line = ["osslsigncode", "sign", "-pkcs12", str(self.certificate), "-readpass", "-",
                "-n", DESCRIPTION, "-h", "sha256"]
        if self.timestamp:
            line += ["-ts", self.timestamp]
        result = subprocess.run([*line, "-in", str(path), "-out", str(signed)],
                                input=os.environ[PASSWORD_VARIABLE], capture_output=True,
                                text=True)
        if result.returncode != 0:
            signed.unlink(missing_ok=True)
            sys.exit(f"signing {path.name}: {result.stdout}{result.stderr}")
        os.replace(signed, path)

    def nsis_command(self, script: Path) -> str:
        """The shell command that signs one file, the file's path to follow, for makensis's
        !uninstfinalize (which runs it on the uninstaller before it packs it)."""
        return shlex.join([sys.executable, str(script), *self.switches(), "--sign-file"])
