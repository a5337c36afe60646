"""The package manager's manifests that the release script writes, read back with a small reader
of the YAML they use and checked for the schema's required fields and the installers' hashes."""

import hashlib
import os
import tempfile
import unittest
from pathlib import Path
from unittest import mock

from test_installer import release


def read_yaml(text: str):
    """The block-style YAML subset the manifests use: nested maps, lists, quoted scalars."""
    lines = [line for line in text.splitlines() if line.strip() and not line.startswith("#")]

    def scalar(value: str):
        if value.startswith("'"):
            return value[1:-1].replace("''", "'")
        return int(value) if value.lstrip("-").isdigit() else value

    def block(at: int, indent: int):
        if lines[at].startswith(" " * indent + "- "):
            items = []
            while at < len(lines) and lines[at].startswith(" " * indent + "- "):
                # A list item's first key sits two columns in, as its other keys do.
                lines[at] = " " * (indent + 2) + lines[at][indent + 2:]
                if ": " in lines[at] or lines[at].endswith(":"):
                    item, at = block(at, indent + 2)
                else:
                    item, at = scalar(lines[at].strip()), at + 1
                items.append(item)
            return items, at
        mapping = {}
        while at < len(lines) and lines[at].startswith(" " * indent) \
                and not lines[at][indent].isspace() and not lines[at][indent:].startswith("- "):
            key, _, value = lines[at].strip().partition(":")
            if value.strip():
                mapping[key], at = scalar(value.strip()), at + 1
            else:
                mapping[key], at = block(at + 1, indent + 2)
        return mapping, at

    return block(0, 0)[0]


class WingetManifestTest(unittest.TestCase):
    REQUIRED = {"version": ["PackageIdentifier", "PackageVersion", "ManifestType",
                            "ManifestVersion"],
                "installer": ["PackageIdentifier", "PackageVersion", "ManifestType",
                              "ManifestVersion", "Installers"],
                "defaultLocale": ["PackageIdentifier", "PackageVersion", "ManifestType",
                                  "ManifestVersion", "PackageLocale", "Publisher", "PackageName",
                                  "License", "ShortDescription"]}
    INSTALLER_REQUIRED = ["Architecture", "InstallerUrl", "InstallerSha256", "InstallerType",
                          "Scope"]

    def test_manifest_set_has_the_required_fields_and_the_installers_hashes(self):
        version = "2.3.4"
        with tempfile.TemporaryDirectory() as temporary:
            out = Path(temporary)
            made = {}
            for arch in release.TRIPLES:
                for path in release.release_files(arch, version, out)[:2]:
                    path.write_bytes(f"{arch} {path.suffix} it's 'quoted'".encode())
                    made[path.name] = hashlib.sha256(path.read_bytes()).hexdigest().upper()
            url = "https://downloads.test/it's/dravik"
            with mock.patch.dict(os.environ, {"DRAVIK_DOWNLOAD_URL": url}):
                folder = release.make_winget(out, version)
            documents = [read_yaml(path.read_text(encoding="utf-8"))
                         for path in sorted(folder.iterdir())]

        self.assertEqual(sorted(d["ManifestType"] for d in documents), sorted(self.REQUIRED))
        for document in documents:
            for field in self.REQUIRED[document["ManifestType"]]:
                self.assertTrue(document.get(field), (document["ManifestType"], field))
            self.assertEqual(document["PackageVersion"], version)
        self.assertEqual(len({d["PackageIdentifier"] for d in documents}), 1)

        installer = next(d for d in documents if d["ManifestType"] == "installer")
        self.assertTrue(installer["UpgradeBehavior"] and installer["ExpectedReturnCodes"])
        hashes = {}
        for entry in installer["Installers"]:
            for field in self.INSTALLER_REQUIRED:
                self.assertTrue(entry.get(field), (entry, field))
            name = entry["InstallerUrl"].removeprefix(url + "/")
            hashes[name] = entry["InstallerSha256"]
            self.assertEqual(entry["InstallerType"],
                             "wix" if name.endswith(".msi") else "nullsoft", name)
            if entry["InstallerType"] == "nullsoft":
                self.assertEqual(entry["InstallerSwitches"]["Silent"], "/S")
        self.assertEqual(hashes, made)


if __name__ == "__main__":
    unittest.main()
