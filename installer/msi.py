"""The MSI's WiX source, for wixl, from the same list of programs as the NSIS installer.

What MSI tables cannot express here (ending a running driver, a settings file that must outlive
every upgrade and removal, removing the programs' logs, starting the driver through the user's
shell) is done by SetupSteps.exe, which the MSI carries in its Binary table and never installs.
"""

import uuid
from xml.sax.saxutils import quoteattr

PRODUCT = "Dravik Whiteboard Driver"
MANUFACTURER = "Dravik Project"
FOLDER = "Dravik"
DRIVER = "Dravik.exe"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Dravik"
STEPS = "SetupSteps.exe"
ICON = "dravik.ico"
LOCATION_KEY = rf"Software\{FOLDER}"
LOCATION_VALUE = "InstallLocation"
# Any other value stops the installation before it changes anything.
NOSTART_MESSAGE = "NOSTART is 1 or left out."

# One product line per architecture: each upgrades only its own kind.
UPGRADE_CODES = {"x86_64": "{8BC8C70B-6F4A-4B46-AE6B-178E764D6DF7}",
                 "i686": "{A98D5C3E-B9A3-4732-908A-2EE41B93876C}"}
MSI_ARCH = {"x86_64": "x64", "i686": "x86"}
# Component and product codes are derived from this, so that a rebuild of one version gives
# the same MSI identity and a new version a new product.
NAMESPACE = uuid.UUID("4ae42022-fa6c-4775-bf13-01a2b405119c")


# Custom action types: a program from the Binary table (2); deferred ones (1024) run after the
# files are in place, elevated (2048); 64 ignores the exit code, which otherwise stops the
# installation.
STEP_ACTION_TYPES = {"EndDriver": 2, "SeedSettings": 2 | 1024 | 2048,
                     "RemoveLogs": 2 | 1024 | 2048 | 64, "StartDriver": 2 | 64}


def table_fixes() -> list[str]:
    """The SQL for what wixl cannot write: custom actions that run the Binary table's program,
    and the earlier version removed whole before the files are copied (wixl removes it after
    the new files are in, when it would end the new driver and fight over shared files)."""
    fixes = [f"UPDATE `CustomAction` SET `Type` = {kind} WHERE `Action` = '{name}'"
             for name, kind in STEP_ACTION_TYPES.items()]
    fixes.append("UPDATE `InstallExecuteSequence` SET `Sequence` = 1401 "
                 "WHERE `Action` = 'RemoveExistingProducts'")
    return fixes


def template_name(settings: str) -> str:
    """What the default settings ship as: the installed settings file is the user's."""
    stem, dot, suffix = settings.rpartition(".")
    return f"{stem}.default.{suffix}" if dot else f"{settings}.default"


def guid(*parts: str) -> str:
    return "{" + str(uuid.uuid5(NAMESPACE, "/".join(parts))).upper() + "}"


def product_code(arch: str, version: str) -> str:
    return guid(arch, "product", version)


def command(step: str, *arguments: str) -> str:
    """A SetupSteps command line as an XML attribute value, each argument quoted."""
    return quoteattr(" ".join([step] + [f'"{argument}"' for argument in arguments]))


def _identifier(file: str) -> str:
    return "f_" + "".join(c if c.isalnum() else "_" for c in file)


def source(arch: str, version: str, programs, languages: list[str], settings: str) -> str:
    """The .wxs text, which names the files as they lie in the folder wixl runs in."""
    win64 = "yes" if arch == "x86_64" else "no"
    program_files = "ProgramFiles64Folder" if arch == "x86_64" else "ProgramFilesFolder"
    template = template_name(settings)

    def component(name: str, body: str) -> str:
        return (f'<Component Id="c_{name}" Guid="{guid(arch, "component", name)}" '
                f'Win64="{win64}">{body}</Component>')

    def file(name: str) -> str:
        return (f'<File Id="{_identifier(name)}" Name={quoteattr(name)} '
                f'Source={quoteattr(name)} KeyPath="yes"/>')

    installed = [p.file for p in programs] + languages + [template]
    components = [component(_identifier(name), file(name)) for name in installed]
    driver = f"[#{_identifier(DRIVER)}]"
    # Windows Installer keeps no property; a removal or upgrade without INSTALLDIR on its command
    # line reads the folder back from here.
    components.append(component("location", (
        f'<RegistryValue Root="HKLM" Key={quoteattr(LOCATION_KEY)} Name="{LOCATION_VALUE}" '
        'Type="string" Value="[INSTALLDIR]" KeyPath="yes"/>')))
    components.append(component("run", (
        f'<RegistryValue Root="HKLM" Key={quoteattr(RUN_KEY)} Name="{RUN_VALUE}" Type="string" '
        f'Value={quoteattr(chr(34) + driver + chr(34))} KeyPath="yes"/>')))
    shortcuts = [
        f'<Shortcut Id="s_{_identifier(p.file)}" Name={quoteattr(p.shortcut)} '
        f'Target="[#{_identifier(p.file)}]" WorkingDirectory="INSTALLDIR"/>'
        for p in programs if p.shortcut]
    shortcut_component = component("shortcuts", (
        "".join(shortcuts) + '<RemoveFolder Id="ShortcutFolder" On="uninstall"/>'))
    references = "".join(f'<ComponentRef Id="c_{_identifier(name)}"/>' for name in installed)

    installing = 'NOT (REMOVE="ALL")'
    seed = command("seed-settings", f"[#{_identifier(template)}]", f"[INSTALLDIR]{settings}")
    # A folder's closing backslash would escape the quote after it.
    logs = command("remove-logs", "[INSTALLDIR]\\")
    actions = [
        # Before the check for files in use, and before an earlier version is removed.
        ("EndDriver", command("end-driver", driver), 1399, ""),
        ("RemoveLogs", logs, 3499, 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE'),
        ("SeedSettings", seed, 4001, installing),
        ("StartDriver", command("start-driver", driver), 6601, f"{installing} AND NOT NOSTART"),
    ]
    # wixl writes these as programs named by a property; table_fixes() makes them run
    # the Binary table's program.
    custom_actions = "".join(f'<CustomAction Id="{name}" Property="steps" ExeCommand={line}/>'
                             for name, line, _, _ in actions)
    # The registration's InstallLocation, as the setup program writes it.
    custom_actions += ('<CustomAction Id="RegisterLocation" Property="ARPINSTALLLOCATION" '
                       'Value="[INSTALLDIR]"/>')
    sequence = "".join(f'<Custom Action="{name}" Sequence="{number}">'
                       f"{quoteattr(condition)[1:-1]}</Custom>"
                       for name, _, number, condition in actions)
    sequence += '<Custom Action="RegisterLocation" Sequence="1001"/>'

    return f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
<Product Id="{product_code(arch, version)}" Name="{PRODUCT}" Language="1033" Version="{version}"
         Manufacturer="{MANUFACTURER}" UpgradeCode="{UPGRADE_CODES[arch]}">
<Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"
         Description="{PRODUCT} ({MSI_ARCH[arch]})" Manufacturer="{MANUFACTURER}"/>
<Media Id="1" Cabinet="programs.cab" EmbedCab="yes"/>
<MajorUpgrade DowngradeErrorMessage="A later version of {PRODUCT} is installed."/>
<Condition Message="{NOSTART_MESSAGE}">Installed OR NOT NOSTART OR NOSTART = "1"</Condition>
<Property Id="ARPNOMODIFY" Value="1"/>
<Property Id="ARPNOREPAIR" Value="1"/>
<Icon Id="{ICON}" SourceFile="{ICON}"/>
<Property Id="ARPPRODUCTICON" Value="{ICON}"/>
<Property Id="INSTALLDIR"><RegistrySearch Id="remembered" Root="HKLM" Key="{LOCATION_KEY}"
 Name="{LOCATION_VALUE}" Type="raw" Win64="{win64}"/></Property>
<Binary Id="steps" SourceFile="{STEPS}"/>
<Directory Id="TARGETDIR" Name="SourceDir">
<Directory Id="{program_files}"><Directory Id="INSTALLDIR" Name="{FOLDER}">
{chr(10).join(components)}
</Directory></Directory>
<Directory Id="ProgramMenuFolder"><Directory Id="ShortcutFolder" Name="{FOLDER}">
{shortcut_component}
</Directory></Directory>
</Directory>
<Feature Id="Programs" Level="1">{references}<ComponentRef Id="c_location"/>
<ComponentRef Id="c_run"/><ComponentRef Id="c_shortcuts"/></Feature>
{custom_actions}
<InstallExecuteSequence>{sequence}</InstallExecuteSequence>
</Product>
</Wix>
"""
