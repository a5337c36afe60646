"""The whole X screen, every monitor side by side, as rows of RGB bytes (libX11 through ctypes,
no extra package)."""

import ctypes

_x11 = ctypes.CDLL("libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p] + \
    [ctypes.c_void_p] * 6
_x11.XGetImage.restype = ctypes.c_void_p
_x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                           ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x11.XFree.argtypes = [ctypes.c_void_p]

_ZPIXMAP = 2
_ALL_PLANES = 0xFFFFFFFF


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as the pixels.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


def grab(display: str):
    """(width, height, rows) of the root window; 24-bit TrueColor in 32-bit pixels, as the
    X servers here give it."""
    connection = _x11.XOpenDisplay(display.encode())
    if not connection:
        raise RuntimeError(f"cannot open X display {display}")
    try:
        root = _x11.XDefaultRootWindow(connection)
        parent = ctypes.c_ulong()
        x, y = ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = (ctypes.c_uint() for _ in range(4))
        _x11.XGetGeometry(connection, root, ctypes.byref(parent), ctypes.byref(x),
                          ctypes.byref(y), ctypes.byref(width), ctypes.byref(height),
                          ctypes.byref(border), ctypes.byref(depth))
        image_pointer = _x11.XGetImage(connection, root, 0, 0, width.value, height.value,
                                       _ALL_PLANES, _ZPIXMAP)
        if not image_pointer:
            raise RuntimeError("XGetImage gave nothing")
        image = _XImage.from_address(image_pointer)
        if image.bits_per_pixel != 32:
            raise RuntimeError(f"{image.bits_per_pixel} bits per pixel, expected 32")
        # Copied out before the image is freed.
        columns, lines, stride = image.width, image.height, image.bytes_per_line
        data = ctypes.string_at(image.data, stride * lines)
        _x11.XFree(image.data)
        _x11.XFree(image_pointer)
        rows = []
        for row in range(lines):
            bgrx = data[row * stride:row * stride + columns * 4]
            rgb = bytearray(columns * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = bgrx[2::4], bgrx[1::4], bgrx[0::4]
            rows.append(bytes(rgb))
        return columns, lines, rows
    finally:
        _x11.XCloseDisplay(connection)
