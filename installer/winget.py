"""A package manager's manifest set for a release: the version, installer and default-locale
files, as YAML text, for the setup programs and the MSIs of both architectures.

The installers' download address is BASE_URL/<file name>; the base comes from the caller
(scripts/package takes it from DRAVIK_DOWNLOAD_URL).
"""

import hashlib
from pathlib import Path

import msi

IDENTIFIER = "DravikProject.DravikWhiteboardDriver"
MANIFEST_VERSION = "1.6.0"
LOCALE = "en-US"
PLACEHOLDER_URL = "https://downloads.example.invalid/dravik/{version}"
SCHEMA = "https://aka.ms/winget-manifest.{kind}.{version}.schema.json"
ARCHITECTURES = {"x86_64": "x64", "i686": "x86"}
# The setup program's codes that are no plain failure (README, "Exit codes").
RETURN_CODES = {1618: "packageInUse", 1638: "downgrade"}
SHORT_DESCRIPTION = "Driver, pen-button settings and calibration for the interactive whiteboard."
LICENSE = "Proprietary"


def quoted(value) -> str:
    """A YAML scalar: numbers as they are, text single-quoted."""
    if isinstance(value, int):
        return str(value)
    return "'" + str(value).replace("'", "''") + "'"


def emit(value, indent: int = 0) -> list[str]:
    """Block-style YAML for nested dicts and lists of scalars or dicts."""
    pad = " " * indent
    lines = []
    if isinstance(value, dict):
        for key, item in value.items():
            if isinstance(item, (dict, list)):
                lines.append(f"{pad}{key}:")
                lines += emit(item, indent + 2)
            else:
                lines.append(f"{pad}{key}: {quoted(item)}")
    else:
        for item in value:
            if isinstance(item, dict):
                first, *rest = emit(item, indent + 2)
                lines.append(f"{pad}- {first.lstrip()}")
                lines += rest
            else:
                lines.append(f"{pad}- {quoted(item)}")
    return lines


def document(kind: str, fields: dict) -> str:
    header = f"# yaml-language-server: $schema={SCHEMA.format(kind=kind, version=MANIFEST_VERSION)}"
    body = {**fields, "ManifestType": kind, "ManifestVersion": MANIFEST_VERSION}
    return "\n".join([header, *emit(body), ""])


def sha256(path: Path) -> str:
    return hashlib.sha256(path.read_bytes()).hexdigest().upper()


def installer_entry(arch: str, path: Path, base_url: str) -> dict:
    entry = {"Architecture": ARCHITECTURES[arch],
             "InstallerType": "wix" if path.suffix == ".msi" else "nullsoft",
             "InstallerUrl": f"{base_url.rstrip('/')}/{path.name}",
             "InstallerSha256": sha256(path),
             "Scope": "machine"}
    if path.suffix != ".msi":
        entry["InstallerSwitches"] = {"Silent": "/S", "SilentWithProgress": "/S",
                                      "InstallLocation": "/D=<INSTALLPATH>",
                                      "Log": "/LOG=<LOGPATH>"}
    return entry


def manifests(version: str, installers: dict[str, list[Path]], base_url: str = "") -> dict:
    """File name to text; installers maps an architecture to its setup program and MSI."""
    base_url = base_url or PLACEHOLDER_URL.format(version=version)
    identity = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    entries = [installer_entry(arch, path, base_url)
               for arch, paths in sorted(installers.items()) for path in paths]
    codes = [{"InstallerReturnCode": code, "ReturnResponse": response}
             for code, response in RETURN_CODES.items()]
    installer = {**identity, "InstallerLocale": LOCALE, "UpgradeBehavior": "install",
                 "InstallModes": ["interactive", "silent", "silentWithProgress"],
                 "ExpectedReturnCodes": codes, "Installers": entries}
    locale = {**identity, "PackageLocale": LOCALE, "Publisher": msi.MANUFACTURER,
              "PackageName": msi.PRODUCT, "License": LICENSE,
              "ShortDescription": SHORT_DESCRIPTION}
    return {f"{IDENTIFIER}.yaml": document("version", {**identity, "DefaultLocale": LOCALE}),
            f"{IDENTIFIER}.installer.yaml": document("installer", installer),
            f"{IDENTIFIER}.locale.{LOCALE}.yaml": document("defaultLocale", locale)}


def write(folder: Path, version: str, installers: dict[str, list[Path]], base_url: str = ""):
    folder.mkdir(parents=True, exist_ok=True)
    for name, text in manifests(version, installers, base_url).items():
        (folder / name).write_text(text, encoding="utf-8")
