#!/usr/bin/env python3
"""Draws CapsDub's pictures and writes them next to this script.

capsdub.ico  the program icon (16, 32 and 48 px, 32-bit with alpha): a video capsule with a
             copy arrow.
toolbar.bmp  112 x 16, 24-bit: seven 16 x 16 toolbar images in toolbar order (dub, pause,
             stop, exit, about, refresh, command); RGB(255, 0, 255) is the transparent colour.
folder.bmp   16 x 16, 24-bit: an open folder, same transparent colour.

Only the standard library is used. Run it again after changing a drawing and commit the
files it writes; the build uses the committed files.
"""

import math
import os
import struct

MAGENTA = (255, 0, 255)


class Canvas:
    """An RGBA picture drawn with simple shapes, at `scale` times its final size so that
    the icon's edges can be smoothed when it is reduced."""

    def __init__(self, size, scale=1, background=(0, 0, 0, 0)):
        self.size = size
        self.scale = scale
        self.n = size * scale
        self.px = [[background for _ in range(self.n)] for _ in range(self.n)]

    def _put(self, x, y, colour):
        if 0 <= x < self.n and 0 <= y < self.n:
            if len(colour) == 3:
                colour = colour + (255,)
            self.px[y][x] = colour

    def fill(self, inside, colour):
        """Sets every pixel whose centre (in final-size units) satisfies inside(x, y)."""
        s = self.scale
        for y in range(self.n):
            for x in range(self.n):
                if inside((x + 0.5) / s, (y + 0.5) / s):
                    self._put(x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour)

    def round_rect(self, x0, y0, x1, y1, r, colour):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

        self.fill(inside, colour)

    def circle(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def ring(self, cx, cy, r0, r1, colour, start=0.0, end=360.0):
        """A ring between radii r0 and r1, over the angles start..end (degrees, clockwise
        from the positive x axis with y pointing down)."""

        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if not (r0 * r0 <= d <= r1 * r1):
                return False
            a = math.degrees(math.atan2(y - cy, x - cx)) % 360
            return start <= a <= end if start <= end else (a >= start or a <= end)

        self.fill(inside, colour)

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit

        self.fill(inside, colour)

    def line(self, x0, y0, x1, y1, width, colour):
        def inside(x, y):
            dx, dy = x1 - x0, y1 - y0
            length2 = dx * dx + dy * dy
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2

        self.fill(inside, colour)

    def reduced(self):
        """The picture at its final size: each pixel the average of its scale x scale
        block, colours weighted by alpha."""
        s = self.scale
        out = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                r = g = b = a = 0
                for yy in range(y * s, (y + 1) * s):
                    for xx in range(x * s, (x + 1) * s):
                        pr, pg, pb, pa = self.px[yy][xx]
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                if a == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((round(r / a), round(g / a), round(b / a), round(a / (s * s))))
            out.append(row)
        return out


# The program icon, drawn on a 16-unit grid and scaled to each size.
def draw_icon(size):
    c = Canvas(size, scale=4)
    u = size / 16.0

    def R(x0, y0, x1, y1, colour, r=0.0):
        if r:
            c.round_rect(x0 * u, y0 * u, x1 * u, y1 * u, r * u, colour)
        else:
            c.rect(x0 * u, y0 * u, x1 * u, y1 * u, colour)

    # Capsule body: a dark blue cassette with a lighter window and two reels.
    R(0.5, 2.5, 13.5, 11.5, (20, 40, 110), 1.5)
    R(1.3, 3.3, 12.7, 10.7, (48, 92, 186), 1.0)
    R(3.0, 5.0, 11.0, 9.0, (210, 230, 250), 0.8)
    for cx in (5.0, 9.0):
        c.circle(cx * u, 7.0 * u, 1.5 * u, (40, 40, 40))
        c.circle(cx * u, 7.0 * u, 0.6 * u, (230, 230, 230))
    # Copy arrow: orange, pointing down to the right out of the capsule.
    c.polygon([(8.5 * u, 9.0 * u), (12.0 * u, 9.0 * u), (12.0 * u, 6.8 * u), (15.6 * u, 11.2 * u),
               (12.0 * u, 15.6 * u), (12.0 * u, 13.4 * u), (8.5 * u, 13.4 * u)], (150, 60, 0))
    c.polygon([(9.2 * u, 9.7 * u), (12.7 * u, 9.7 * u), (12.7 * u, 8.8 * u), (14.7 * u, 11.2 * u),
               (12.7 * u, 13.6 * u), (12.7 * u, 12.7 * u), (9.2 * u, 12.7 * u)], (255, 150, 30))
    return c.reduced()


# Toolbar images, 16 x 16, hard edges on the magenta background.
def tool_canvas():
    return Canvas(16, scale=1, background=MAGENTA + (255,))


def draw_dub():
    c = tool_canvas()
    # Two cassettes, the second below and to the right, with an arrow between them.
    c.rect(0, 1, 9, 7, (20, 40, 110))
    c.rect(1, 2, 8, 6, (70, 120, 210))
    c.rect(2, 3, 3, 5, (240, 240, 240))
    c.rect(6, 3, 7, 5, (240, 240, 240))
    c.rect(7, 9, 16, 15, (20, 40, 110))
    c.rect(8, 10, 15, 14, (70, 120, 210))
    c.rect(9, 11, 10, 13, (240, 240, 240))
    c.rect(13, 11, 14, 13, (240, 240, 240))
    c.rect(2, 7, 4, 13, (220, 40, 30))
    c.rect(2, 11, 5, 13, (220, 40, 30))
    c.polygon([(5, 9), (7, 12), (5, 15)], (220, 40, 30))
    return c


def draw_pause():
    c = tool_canvas()
    c.rect(3, 2, 7, 14, (30, 60, 150))
    c.rect(9, 2, 13, 14, (30, 60, 150))
    c.rect(4, 3, 6, 13, (80, 130, 220))
    c.rect(10, 3, 12, 13, (80, 130, 220))
    return c


def draw_stop():
    c = tool_canvas()
    c.rect(2, 2, 14, 14, (150, 20, 20))
    c.rect(3, 3, 13, 13, (230, 50, 40))
    c.rect(4, 4, 8, 6, (250, 140, 130))
    return c


def draw_exit():
    c = tool_canvas()
    # An open door with an arrow leaving it.
    c.rect(1, 1, 9, 15, (90, 60, 30))
    c.rect(2, 2, 8, 15, (40, 30, 20))
    c.polygon([(2, 2), (7, 4), (7, 16), (2, 15)], (180, 120, 60))
    c.rect(5, 9, 6, 10, (250, 220, 100))
    c.rect(9, 7, 13, 9, (20, 140, 40))
    c.polygon([(12, 4), (16, 8), (12, 12)], (20, 140, 40))
    return c


def draw_about():
    c = tool_canvas()
    c.circle(8, 8, 7.2, (20, 60, 160))
    c.circle(8, 8, 6.2, (60, 120, 220))
    c.rect(7, 3, 9, 5, (255, 255, 255))
    c.rect(7, 6, 9, 13, (255, 255, 255))
    c.rect(6, 6, 7, 7, (255, 255, 255))
    c.rect(6, 12, 10, 13, (255, 255, 255))
    return c


def draw_refresh():
    c = tool_canvas()
    # Two arrows chasing each other round a circle.
    c.ring(8, 8, 3.6, 6.0, (20, 130, 50), 200, 340)
    c.ring(8, 8, 3.6, 6.0, (20, 130, 50), 20, 160)
    c.polygon([(11.5, 0.5), (15.5, 5.0), (10.0, 6.5)], (20, 130, 50))
    c.polygon([(4.5, 15.5), (0.5, 11.0), (6.0, 9.5)], (20, 130, 50))
    return c


def draw_command():
    c = tool_canvas()
    # A console window with a prompt.
    c.rect(0, 1, 16, 15, (60, 60, 60))
    c.rect(1, 2, 15, 4, (40, 80, 170))
    c.rect(1, 4, 15, 14, (10, 10, 10))
    c.line(3, 6, 5.5, 8.5, 1.2, (220, 220, 220))
    c.line(5.5, 8.5, 3, 11, 1.2, (220, 220, 220))
    c.rect(7, 11, 12, 12, (220, 220, 220))
    return c


def draw_folder():
    c = tool_canvas()
    # The back of the folder with its tab, a sheet of paper, and the front flap opened forward.
    c.rect(1, 3, 6, 5, (150, 110, 20))
    c.rect(1, 4, 13, 14, (150, 110, 20))
    c.rect(2, 5, 12, 13, (230, 190, 70))
    c.rect(4, 6, 12, 11, (255, 255, 255))
    c.polygon([(0, 14), (3, 8), (16, 8), (13, 14)], (150, 110, 20))
    c.polygon([(1.4, 13.2), (3.7, 9.0), (14.6, 9.0), (12.4, 13.2)], (250, 215, 100))
    return c


def pixels(canvas):
    return [[p[:3] for p in row] for row in canvas.px]


def bmp24(rows):
    """A bottom-up 24-bit BMP file of `rows` (top row first)."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    return file_header + header + bytes(data)


def icon_image(rows):
    """One icon image: a 32-bit DIB (double height) with its AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for rows in images:
        blob = icon_image(rows)
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    tools = [draw_dub(), draw_pause(), draw_stop(), draw_exit(), draw_about(), draw_refresh(),
             draw_command()]
    strip = [[] for _ in range(16)]
    for tool in tools:
        for y, row in enumerate(pixels(tool)):
            strip[y].extend(row)
    with open(os.path.join(here, "toolbar.bmp"), "wb") as f:
        f.write(bmp24(strip))
    with open(os.path.join(here, "folder.bmp"), "wb") as f:
        f.write(bmp24(pixels(draw_folder())))
    with open(os.path.join(here, "capsdub.ico"), "wb") as f:
        f.write(ico([draw_icon(16), draw_icon(32), draw_icon(48)]))


if __name__ == "__main__":
    main()
