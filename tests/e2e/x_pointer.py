"""The X server's own pointer, watched from Linux through libX11 (ctypes, no extra package):
every move of it, with the time it was seen, as the user's screen shows it."""

import ctypes
import threading
import time

_x11 = ctypes.CDLL("libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XQueryPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


class PointerWatch:
    """Records (time.perf_counter(), x, y) whenever the pointer is found somewhere new. Polled:
    Wine moves the pointer without the motion events another client would see."""

    def __init__(self, display: str, interval: float = 0.00025):
        self._display = _x11.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError(f"cannot open X display {display}")
        self._root = _x11.XDefaultRootWindow(self._display)
        self._interval = interval
        self.moves = []
        self._lock = threading.Lock()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def where(self) -> tuple[int, int]:
        window, child = ctypes.c_ulong(), ctypes.c_ulong()
        x, y, wx, wy = (ctypes.c_int() for _ in range(4))
        mask = ctypes.c_uint()
        _x11.XQueryPointer(self._display, self._root, ctypes.byref(window), ctypes.byref(child),
                           ctypes.byref(x), ctypes.byref(y), ctypes.byref(wx), ctypes.byref(wy),
                           ctypes.byref(mask))
        return x.value, y.value

    def _run(self):
        last = self.where()
        while not self._stop.is_set():
            now = self.where()
            if now != last:
                seen = time.perf_counter()
                with self._lock:
                    self.moves.append((seen, *now))
                last = now
            time.sleep(self._interval)

    def first_move_after(self, since: float, timeout: float):
        """The first move seen after since, waiting up to timeout; None when there is none."""
        deadline = time.perf_counter() + timeout
        while True:
            with self._lock:
                found = [m for m in self.moves[-64:] if m[0] > since]
            if found:
                return found[0]
            if time.perf_counter() >= deadline:
                return None
            time.sleep(0.0005)

    def close(self):
        self._stop.set()
        self._thread.join(timeout=2)
        _x11.XCloseDisplay(self._display)
