"""The two-monitor environment (scripts/e2e-env start --two-monitors): the monitors as Windows
lists them, and the changes a user makes to them, made on the X side."""

import subprocess

import rig

PRIMARY_OUTPUT, SECONDARY_OUTPUT = "DUMMY0", "DUMMY1"
PRIMARY, SECONDARY = r"\\.\DISPLAY1", r"\\.\DISPLAY2"
# As scripts/e2e-env lays them out; the secondary's mode is its own.
LAYOUT = {PRIMARY: (0, 0, 1920, 1080), SECONDARY: (1920, 0, 3200, 1024)}
SECONDARY_MODE = "1280x1024_e2e"
# Xorg cannot place an output left of 0: the primary moves right and Windows puts the
# secondary at negative x.
LEFT_LAYOUT = {PRIMARY: (0, 0, 1920, 1080), SECONDARY: (-1280, 0, 0, 1024)}


def monitors() -> dict[str, tuple[int, int, int, int]]:
    """EnumDisplayMonitors: each monitor's device name and rectangle."""
    found = {}
    for line in rig.wintest("monitors"):
        words = line.split()
        if words[0] == "monitor":
            found[words[1]] = tuple(map(int, words[2:6]))
    return found


def device_id(name: str) -> str:
    """The device-interface path of the monitor on output name."""
    for line in rig.wintest("monitors"):
        words = line.split()
        if words[0] == "interface" and words[1].startswith(name + "\\"):
            return words[words.index("id") + 1]
    raise AssertionError(f"no monitor on {name}")


def board_monitor_lines(name: str, rect) -> list[str]:
    """The settings section that binds the board to the monitor on output name."""
    c = rig.contract
    keys = (c.SETTINGS_FILE_MONITOR_LEFT_KEY, c.SETTINGS_FILE_MONITOR_TOP_KEY,
            c.SETTINGS_FILE_MONITOR_RIGHT_KEY, c.SETTINGS_FILE_MONITOR_BOTTOM_KEY)
    return [f"{c.SETTINGS_FILE_MONITOR_ID_KEY}={device_id(name)}",
            f"{c.SETTINGS_FILE_MONITOR_NAME_KEY}={name}",
            *(f"{key}={value}" for key, value in zip(keys, rect))]


def virtual_origin(layout: dict) -> tuple[int, int]:
    """Where the X root's 0,0 is in Windows' desktop coordinates."""
    return min(r[0] for r in layout.values()), min(r[1] for r in layout.values())


def xrandr(*args):
    subprocess.run(["xrandr", *args], env=rig.context().env, check=True, timeout=20,
                   stdin=subprocess.DEVNULL, capture_output=True)
    # Wine does not probe the outputs, and an output switched on is still "disconnected"
    # to it until some client does.
    subprocess.run(["xrandr"], env=rig.context().env, check=True, timeout=20,
                   stdin=subprocess.DEVNULL, capture_output=True)


def wait_for_layout(expected: dict, timeout: float = 5):
    """Windows sees an X change some 60 ms later."""
    if rig.wait_for(lambda: monitors() == expected, timeout, interval=0.1) is None:
        raise AssertionError(f"monitors {monitors()}, expected {expected}")


def restore():
    xrandr("--output", PRIMARY_OUTPUT, "--mode", "1920x1080", "--pos", "0x0", "--primary",
           "--output", SECONDARY_OUTPUT, "--mode", SECONDARY_MODE, "--pos", "1920x0")
    wait_for_layout(LAYOUT)


def secondary_left_of_primary():
    xrandr("--output", PRIMARY_OUTPUT, "--pos", "1280x0", "--primary",
           "--output", SECONDARY_OUTPUT, "--pos", "0x0")
    wait_for_layout(LEFT_LAYOUT)


def resize_secondary(width: int, height: int) -> tuple[int, int, int, int]:
    """One of the server's standard modes; returns the secondary's new rectangle."""
    mode = f"{width}x{height}"
    # Adding a mode the output already has fails harmlessly.
    subprocess.run(["xrandr", "--addmode", SECONDARY_OUTPUT, mode], env=rig.context().env,
                   timeout=20, stdin=subprocess.DEVNULL, capture_output=True)
    xrandr("--output", SECONDARY_OUTPUT, "--mode", mode)
    left, top = LAYOUT[SECONDARY][:2]
    expected = {**LAYOUT, SECONDARY: (left, top, left + width, top + height)}
    wait_for_layout(expected)
    return expected[SECONDARY]


def secondary_off():
    xrandr("--output", SECONDARY_OUTPUT, "--off")
    wait_for_layout({PRIMARY: LAYOUT[PRIMARY]})
