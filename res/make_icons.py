#!/usr/bin/env python3
"""Generate Savrin's Windows icons (res/icons/*.ico) procedurally.

Writes the application icon (32x32 and 16x16, 256 and 16 colours) plus the
tray icons for the running, stopped and blink states in a 16-colour (VGA
palette) set and a 256-colour set.  Output is byte-for-byte deterministic.
The generated .ico files are committed, so a Windows build needs no Python;
rerun this script only after changing the artwork.

    python3 res/make_icons.py           # (re)write res/icons/*.ico
    python3 res/make_icons.py --check   # exit 1 if a committed file differs
"""
import os
import struct
import sys

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")

VGA = [(0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
       (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
       (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
       (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF)]
BLACK, MAROON, GREEN, OLIVE, SILVER, GRAY = VGA[0], VGA[1], VGA[2], VGA[3], VGA[7], VGA[8]
RED, LIME, YELLOW, WHITE = VGA[9], VGA[10], VGA[11], VGA[15]

# Shapes are polygons on a 16x16 design grid; they are sampled at pixel
# centres, so the same artwork renders at 16x16 and 32x32.
FOLDER_BACK = [(0, 2), (6, 2), (7, 3), (16, 3), (16, 15), (0, 15)]
FOLDER_FRONT = [(0, 5), (16, 5), (16, 15), (0, 15)]
# (Diagonal edges are nudged off pixel centres so 45-degree steps come out even.)
ARROW_RIGHT = [(4, 9), (9, 9), (9, 6.2), (12.8, 10), (9, 13.8), (9, 11), (4, 11)]
ARROW_DOWN = [(8, 0), (10, 0), (10, 4), (13.7, 4), (9, 8.7), (4.3, 4), (8, 4)]
STOP_SQUARE = [(5, 7), (11, 7), (11, 13), (5, 13)]


def blend(a, b, t):
    """Linear mix of two RGB colours, t in [0, 1]."""
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def gradient(top, bottom):
    """Vertical gradient fill (for the 256-colour images)."""
    return lambda v: blend(top, bottom, v)


def inside(poly, x, y):
    """Even-odd point-in-polygon test."""
    hit = False
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def draw(img, poly, fill, line=None, halo=False):
    """Fill a design-grid polygon and give it a 1-pixel outline in colour
    line: on its inner edge, or (halo=True) just outside it."""
    n = len(img)
    k = 16.0 / n
    mask = [[inside(poly, (x + 0.5) * k, (y + 0.5) * k) for x in range(n)] for y in range(n)]

    def at(x, y):
        return 0 <= x < n and 0 <= y < n and mask[y][x]

    def edge(x, y):  # does (x, y) touch a pixel on the other side of the border?
        return any(at(x + dx, y + dy) != mask[y][x] for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))

    for y in range(n):
        for x in range(n):
            if line and edge(x, y) and mask[y][x] != halo:
                img[y][x] = line
            elif mask[y][x]:
                img[y][x] = fill(y / (n - 1)) if callable(fill) else fill


# Colour themes: (folder back, folder front, folder outline, mark fill, mark outline)
THEMES16 = {
    "running": (OLIVE, YELLOW, BLACK, LIME, BLACK),
    "stopped": (GRAY, SILVER, BLACK, RED, MAROON),
    "blink": (YELLOW, WHITE, OLIVE, WHITE, GREEN),
}
THEMES256 = {
    "running": (gradient((0xE0, 0xB0, 0x48), (0xC8, 0x90, 0x30)),
                gradient((0xFF, 0xE4, 0x8C), (0xE8, 0xB8, 0x50)), (0x80, 0x5C, 0x18),
                gradient((0x70, 0xE0, 0x60), (0x18, 0x98, 0x20)), (0x0C, 0x50, 0x10)),
    "stopped": (gradient((0xA8, 0xA8, 0xA8), (0x90, 0x90, 0x90)),
                gradient((0xD8, 0xD8, 0xD8), (0xB0, 0xB0, 0xB0)), (0x58, 0x58, 0x58),
                gradient((0xF8, 0x60, 0x50), (0xC0, 0x18, 0x18)), (0x68, 0x08, 0x08)),
    "blink": (gradient((0xFF, 0xE8, 0x90), (0xF8, 0xD8, 0x70)),
              gradient((0xFF, 0xFF, 0xF4), (0xFF, 0xF4, 0xC0)), (0xC0, 0x90, 0x30),
              (0xFF, 0xFF, 0xFF), (0x18, 0xA0, 0x20)),
}


def render(size, state, theme, app=False):
    """Draw one icon image; returns rows of RGB tuples (None = transparent)."""
    back, front, outline, mark, mark_line = theme
    img = [[None] * size for _ in range(size)]
    draw(img, FOLDER_BACK, back, outline)
    draw(img, FOLDER_FRONT, front, outline)
    if app:
        draw(img, ARROW_DOWN, mark, mark_line, True)
    elif state == "stopped":
        draw(img, STOP_SQUARE, mark, mark_line)
    else:
        draw(img, ARROW_RIGHT, mark, mark_line, True)
    return img


def encode(img, palette, bpp):
    """Return (ICONDIRENTRY fields, image bytes) for one BMP-in-ICO image."""
    n = len(img)
    palette = palette + [BLACK] * ((1 << bpp) - len(palette))
    index = {c: i for i, c in enumerate(palette)}
    xor_row = ((n * bpp + 31) // 32) * 4
    and_row = ((n + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for row in reversed(img):  # bitmaps are stored bottom-up
        idx = [0 if c is None else index[c] for c in row]
        if bpp == 4:
            bits = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, n, 2))
        else:
            bits = bytes(idx)
        xor += bits.ljust(xor_row, b"\0")
        mbits = 0
        for c in row:
            mbits = (mbits << 1) | (c is None)
        andm += mbits.to_bytes((n + 7) // 8, "big").ljust(and_row, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bpp, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    data = header + quads + bytes(xor) + bytes(andm)
    return (n, 16 if bpp == 4 else 0, bpp), data


def palette256(img):
    """Black first (transparent pixels), then every other colour used, sorted."""
    used = sorted({c for row in img for c in row if c is not None} - {BLACK})
    assert len(used) < 256, "too many colours"
    return [BLACK] + used


def vga(img):
    for row in img:
        for c in row:
            assert c is None or c in VGA, "non-VGA colour %r" % (c,)
    return list(VGA)


def ico(images):
    """Pack (entry fields, data) pairs into an .ico file."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (n, colors, bpp), data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, colors, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def build():
    """Return {file name: bytes} for every icon."""
    def img256(size, state, app=False):
        img = render(size, state, THEMES256[state], app)
        return encode(img, palette256(img), 8)

    def img16(state, app=False):
        img = render(16, state, THEMES16[state], app)
        return encode(img, vga(img), 4)

    files = {"app.ico": ico([img256(32, "running", True), img256(16, "running", True),
                             img16("running", True)])}
    for state in ("blink", "running", "stopped"):
        files[state + "16.ico"] = ico([img16(state)])
        files[state + "256.ico"] = ico([img256(16, state)])
    return files


def main():
    files = build()
    if "--check" in sys.argv[1:]:
        stale = []
        for name, data in sorted(files.items()):
            try:
                with open(os.path.join(OUT_DIR, name), "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(name)
        for name in stale:
            print("out of date: res/icons/" + name, file=sys.stderr)
        return 1 if stale else 0
    os.makedirs(OUT_DIR, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(OUT_DIR, name), "wb") as f:
            f.write(data)
        print("wrote res/icons/%s (%d bytes)" % (name, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
