#!/usr/bin/env python3
"""Draws a recorded frame of tests/golden/ as a picture, to review it by eye:
shapes in their colours, pictures as grey boxes with their width, one PNG per
frame ("# ..." line) of the file. Needs ImageMagick.

    python3 tools/golden_picture.py tests/golden/game_draw.txt OUT_PREFIX"""

import subprocess
import sys

SHAPES = {"2": "polyline", "6": "polygon", "7": "polygon", "9": "polygon"}  # GL_LINE_LOOP, fan, quads, polygon


def frames(lines):
    title, calls = None, []
    for line in lines:
        if line.startswith("#"):
            if title:
                yield title, calls
            title, calls = line[1:].strip(), []
        elif line.strip():
            name, *args = line.split()
            calls.append((name, args))
    if title:
        yield title, calls


def drawing(calls):
    commands, colour, shape, points, raster = [], "white", None, [], (0, 0)
    for name, args in calls:
        if name == "glColor3f":
            colour = "rgb({})".format(",".join(str(round(255 * float(a))) for a in args))
        elif name == "glBegin":
            shape, points = SHAPES.get(args[0], "polygon"), []
        elif name.startswith("glVertex"):
            points.append("{},{}".format(*args))
        elif name == "glEnd":
            if shape == "polyline":
                points.append(points[0])
            fill = "none" if shape == "polyline" else colour
            commands += ["-fill", fill, "-stroke", colour if fill == "none" else "none",
                         "-draw", f"{shape} {' '.join(points)}"]
        elif name.startswith("glRasterPos"):
            raster = tuple(round(float(a)) for a in args)
        elif name == "glDrawPixels":
            width, height = int(args[0]), int(args[1])
            x, y = raster
            commands += ["-fill", "gray40", "-stroke", "none",
                         "-draw", f"rectangle {x},{y - height} {x + width - 1},{y - 1}"]
    return commands


def main():
    source, prefix = sys.argv[1], sys.argv[2]
    with open(source) as f:
        for number, (title, calls) in enumerate(frames(f.read().splitlines()), 1):
            path = f"{prefix}-{number}.png"
            subprocess.run(["convert", "-size", "1024x768", "xc:black", *drawing(calls), path], check=True)
            print(path, title)


if __name__ == "__main__":
    main()
