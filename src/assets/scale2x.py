#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the double-resolution pictures (X@2x.xpm) from the pictures X.xpm.

    src/assets/scale2x.py A B C D E F G

Each pixel becomes four, and along a diagonal edge the new corner pixels
take the colour of the neighbours that meet there (the Scale2x rule), so
the outlines come out as smooth steps instead of doubled blocks.  The
result is plain XPM text like the originals, meant as a starting point for
drawing finer detail by hand; running it again overwrites such drawing
(A@2x.xpm has its eyes redrawn round, with a large and a small glint).
"""
import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', path.read_text())
    width, height, ncolours, cpp = map(int, strings[0].split()[:4])
    colours = strings[1:1 + ncolours]
    rows = strings[1 + ncolours:1 + ncolours + height]
    assert cpp == 1 and all(len(r) == width for r in rows), path
    return colours, rows


def scale2x(rows):
    h, w = len(rows), len(rows[0])

    def at(x, y):
        return rows[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]

    out = []
    for y in range(h):
        top, bottom = [], []
        for x in range(w):
            e = at(x, y)
            b, d, f, hh = at(x, y - 1), at(x - 1, y), at(x + 1, y), at(x, y + 1)
            if b != hh and d != f:
                e0 = d if d == b else e
                e1 = f if b == f else e
                e2 = d if d == hh else e
                e3 = f if hh == f else e
            else:
                e0 = e1 = e2 = e3 = e
            top += [e0, e1]
            bottom += [e2, e3]
        out += ["".join(top), "".join(bottom)]
    return out


def write_xpm(path, name, colours, rows):
    lines = ["/* XPM */", f"static const char *{name}[] = {{",
             "/* columns rows colours chars-per-pixel */",
             f'"{len(rows[0])} {len(rows)} {len(colours)} 1",']
    lines += [f'"{c}",' for c in colours]
    lines.append("/* pixels */")
    lines += [f'"{r}",' for r in rows[:-1]] + [f'"{rows[-1]}"', "};"]
    path.write_text("\n".join(lines) + "\n")


for letter in sys.argv[1:]:
    colours, rows = read_xpm(HERE / f"{letter}.xpm")
    write_xpm(HERE / f"{letter}@2x.xpm", f"picture_{letter}_2x", colours, scale2x(rows))
