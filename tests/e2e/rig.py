"""The Wine rig shared by the end-to-end tests: one environment per run, the wintest
helper, and program folders that the Windows side reaches through drive Z:."""

import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
ENV_SCRIPT = REPO / "scripts" / "e2e-env"

sys.path.insert(0, str(REPO / "tools" / "virtual_board"))
sys.path.insert(0, str(REPO / "tools" / "virtual_hid"))
sys.path.insert(0, str(REPO / "common"))
import program_contract as contract  # noqa: E402
import virtual_board  # noqa: E402
import virtual_hid_board  # noqa: E402

VIRTUAL_HID_EXE = Path("tools") / "virtual_hid" / "VirtualHid.exe"

_context = None


class Context:
    def __init__(self, build_dir: Path, wintest: Path, env: dict):
        self.build_dir = build_dir
        self.wintest = wintest
        self.env = env
        self.root = Path(env["E2E_ROOT"])
        self.serial_registry = None
        self.hid_feeder = None

    def program(self, relative: str) -> Path:
        return self.build_dir / relative


def context() -> Context:
    if _context is None:
        raise RuntimeError("the Wine environment is not started: run scripts/e2e-test")
    return _context


def start(build_dir: Path, wintest: Path, cache_dir: Path, two_monitors: bool = False) -> Context:
    global _context
    display = ["--two-monitors"] if two_monitors else []
    hid = (build_dir / VIRTUAL_HID_EXE).parent
    if not two_monitors and (hid / VIRTUAL_HID_EXE.name).exists():
        display += ["--hid", str(hid)]
    # stdout is a pipe: e2e-env keeps Wine's own processes off it, or this would not return.
    out = subprocess.run([str(ENV_SCRIPT), "start", *display, str(cache_dir)], check=True,
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, timeout=300,
                         text=True).stdout
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
    for line in out.splitlines():
        match = re.fullmatch(r"export (\w+)=(.*)", line)
        if match:
            env[match.group(1)] = shlex.split(match.group(2))[0]
    _context = Context(build_dir, wintest, env)
    return _context


def stop():
    global _context
    if _context is not None:
        if _context.hid_feeder is not None:
            _context.hid_feeder.close()
        subprocess.run([str(ENV_SCRIPT), "stop", str(_context.root)], stdin=subprocess.DEVNULL,
                       timeout=120, check=False)
        _context = None


def windows_path(path: Path) -> str:
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def program_env(locale: dict | None = None) -> dict:
    """The environment for a Windows program; locale: Unix locale variables for it alone, from
    which Wine takes its code page and languages."""
    env = context().env
    if locale:
        env = {k: v for k, v in env.items() if not k.startswith("LC_")} | locale
    return env


def wine(args, timeout: float, locale: dict | None = None, **kwargs) -> subprocess.CompletedProcess:
    # Output goes through files, not pipes: a Wine service started on the way inherits the
    # handles and would hold a pipe open long after the program itself has ended.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        result = subprocess.run(["wine", *map(str, args)], env=program_env(locale),
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout,
                                **kwargs)
        out.seek(0)
        err.seek(0)
        result.stdout, result.stderr = out.read(), err.read()
    return result


def start_program(exe: Path, *args, locale: dict | None = None,
                  env: dict | None = None) -> subprocess.Popen:
    """Starts a Windows program in the background, with env added to the environment; its PID
    is the Windows process's."""
    return subprocess.Popen(["wine", str(exe), *map(str, args)],
                            env={**program_env(locale), **(env or {})},
                            cwd=exe.parent, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def end_program(process: subprocess.Popen):
    if process.poll() is None:
        process.kill()
    process.wait(timeout=10)


class WintestError(AssertionError):
    pass


def wintest(*args, timeout_ms: int = 0, check: bool = True) -> list[str]:
    """Runs the helper; returns its stdout lines. Fails the test when it fails and check is set."""
    result = wine([context().wintest, *args], timeout=timeout_ms / 1000 + 20)
    lines = result.stdout.decode("utf-8").splitlines()
    if check and result.returncode != 0:
        raise WintestError(f"wintest {' '.join(map(str, args))}: exit {result.returncode}, "
                           f"{result.stderr.decode('utf-8', 'replace').strip()}")
    return lines if result.returncode == 0 else []


def registry_values(key: str, view: int = 64):
    """A registry key's values as name -> text (REG_DWORD as a number), or None without the key."""
    result = wine(["reg", "query", key, f"/reg:{view}"], timeout=60)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.decode("gbk", "replace").splitlines():
        match = re.fullmatch(r" {4}(.+?) {4}(REG_\w+) {4}(.*)", line.rstrip("\r"))
        if match:
            name, kind, data = match.groups()
            values[name] = int(data, 16) if kind == "REG_DWORD" else data
    return values


def fields(lines: list[str]) -> dict[str, str]:
    return dict(line.split(" ", 1) for line in lines if " " in line)


def start_wintest(*args) -> subprocess.Popen:
    return subprocess.Popen(["wine", str(context().wintest), *map(str, args)],
                            env=context().env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)


def work_folder(name: str) -> Path:
    folder = context().root / "work" / re.sub(r"[^A-Za-z0-9_.-]", "_", name)
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    return folder


def wait_for(predicate, timeout: float, interval: float = 0.05):
    """Polls predicate until it returns something true; returns that, or None after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value or None
        time.sleep(interval)


# Private-profile files as the programs see them: code page 936 bytes.

def read_profile(path: Path, section: str, key: str, encoding: str = "gbk"):
    """The first value of key in the first matching section, as the profile functions find it."""
    try:
        text = path.read_bytes().decode(encoding, errors="replace")
    except FileNotFoundError:
        return None
    current = None
    for raw in text.splitlines():
        line = raw.strip()
        if line.startswith("["):
            current = line[1:line.index("]")].strip().lower() if "]" in line else None
        elif current == section.lower() and "=" in line:
            name, value = line.split("=", 1)
            if name.strip().lower() == key.lower():
                value = value.strip()
                if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
                    value = value[1:-1]
                return value
    return None


def replace_section(path: Path, section: str, lines: list[str]):
    """Drops every copy of section and appends it anew with lines."""
    text = path.read_bytes().decode("gbk") if path.exists() else ""
    kept, current = [], None
    for raw in text.splitlines():
        stripped = raw.strip()
        if stripped.startswith("[") and "]" in stripped:
            current = stripped[1:stripped.index("]")].strip().lower()
        if current != section.lower():
            kept.append(raw)
    while kept and not kept[-1].strip():
        kept.pop()
    kept += ["", f"[{section}]", *lines]
    path.write_bytes(("\r\n".join(kept).lstrip() + "\r\n").encode("gbk"))


# The board's serial side as Wine shows it: registry entries that name the port, and the port
# itself, a pty behind a dosdevices link.

SERIAL_PORT = "COM7"
_CLASS = "{4d36e978-e325-11ce-bfc1-08002be10318}"
_INTERFACE = rf"##?#USB#Vid_10c4&Pid_1320#0001#{_CLASS}"


def serial_registry_text(port: str = SERIAL_PORT) -> str:
    """A .reg file; Wine's CurrentControlSet and ControlSet001 are separate trees."""
    base = r"HKEY_LOCAL_MACHINE\SYSTEM"
    link = ("\\\\.\\" + port).replace("\\", "\\\\")
    return "\r\n".join([
        "REGEDIT4", "",
        rf"[{base}\CurrentControlSet\Enum\USB\Vid_10c4&Pid_1320\0001\Device Parameters]",
        f'"PortName"="{port}"', "",
        rf"[{base}\CurrentControlSet\Control\DeviceClasses\{_CLASS}\{_INTERFACE}\#\Control]",
        '"Linked"=dword:00000001', "",
        rf"[{base}\CurrentControlSet\Control\DeviceClasses\{_CLASS}\{_INTERFACE}\#]",
        f'"SymbolicLink"="{link}"', "",
        rf"[{base}\ControlSet001\Control\DeviceClasses\{_CLASS}\{_INTERFACE}\#\Control]",
        '"Linked"=dword:00000001', "", ""])


def install_serial_registry(port: str = SERIAL_PORT):
    """Once per environment: the registry entries through which the driver finds the port."""
    ctx = context()
    if ctx.serial_registry == port:
        return
    reg = ctx.root / "work" / "serial-board.reg"
    reg.write_bytes(serial_registry_text(port).encode("ascii"))
    result = wine(["reg", "import", windows_path(reg)], timeout=60)
    if result.returncode != 0:
        raise RuntimeError(f"reg import failed: {result.stderr.decode('utf-8', 'replace')}")
    ctx.serial_registry = port


def port_link(port: str = SERIAL_PORT) -> Path:
    return Path(context().env["WINEPREFIX"]) / "dosdevices" / port.lower()


def serial_board(folder: Path, port: str = SERIAL_PORT, **options) -> "virtual_board.VirtualBoard":
    """An open virtual board behind the port, logging to folder/board.log."""
    install_serial_registry(port)
    board = virtual_board.VirtualBoard(link=port_link(port), log=folder / "board.log", **options)
    return board.open()


# The board's HID side: children of the virtual HID bus, one feeder for the whole run.

def hid_feeder() -> "virtual_hid_board.Feeder":
    """The running feeder of the bus that e2e-env installed; started again if it ended."""
    ctx = context()
    if ctx.hid_feeder is not None and ctx.hid_feeder.alive():
        return ctx.hid_feeder
    exe = ctx.program(VIRTUAL_HID_EXE)
    if not exe.exists():
        raise AssertionError(f"{VIRTUAL_HID_EXE} is not built")
    ctx.hid_feeder = virtual_hid_board.Feeder(exe, ctx.env)
    return ctx.hid_feeder


def hid_board(folder: Path, **options) -> "virtual_hid_board.VirtualHidBoard":
    """A board plugged into the virtual HID bus, logging to folder/board.log."""
    return virtual_hid_board.VirtualHidBoard(hid_feeder(), log=folder / "board.log",
                                             **options).open()


def cpu_seconds(pid: int) -> float:
    """User plus system CPU time of one process so far."""
    fields_after_name = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields_after_name[11]) + int(fields_after_name[12])) / os.sysconf("SC_CLK_TCK")


def windows_processes() -> list[str]:
    """Command lines of the programs running in this environment's prefix, quotes removed."""
    prefix = b"WINEPREFIX=" + context().env["WINEPREFIX"].encode() + b"\0"
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if prefix in (entry / "environ").read_bytes() + b"\0":
                line = (entry / "cmdline").read_bytes().rstrip(b"\0").replace(b"\0", b" ")
                found.append(line.decode("utf-8", "replace").replace('"', ""))
        except OSError:
            continue
    return found


def wineserver_pid():
    """The wineserver of this environment's prefix, or None."""
    prefix = context().env["WINEPREFIX"].encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if b"wineserver" not in (entry / "cmdline").read_bytes().split(b"\0")[0]:
                continue
            if b"WINEPREFIX=" + prefix + b"\0" in (entry / "environ").read_bytes() + b"\0":
                return int(entry.name)
        except OSError:
            continue
    return None


SCREEN = (1920, 1080)


def on_screen(pixel):
    """Where the pointer lands for an absolute move to pixel: the driver's scaling to 0..65535
    and Wine's way back both truncate, which costs a pixel on most points."""
    (x, y), (width, height) = pixel, SCREEN
    return x * 65535 // width * width // 65536, y * 65535 // height * height // 65536
