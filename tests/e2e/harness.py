"""Drives the real tarvik-snake under Xvfb: an X server per test class, a game folder per
game, keys through xdotool, screenshots through xwd, text compared pixel for pixel with the
toolkit's own fonts, and the generator modelled so that food positions are known in advance."""

import calendar
import ctypes
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

SOURCE_DIR = os.environ.get("TARVIK_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
EXE = os.environ.get("TARVIK_EXE", os.path.join(SOURCE_DIR, "build", "test", "tarvik-snake"))
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
CONVERT = "/usr/bin/convert"

SURFACE = (1024, 768)
DIALOG_MAX_WIDTH = 900  # the question and error boxes are far smaller than the game's surface
START_TIME = "2026-01-01 00:00:00"  # the fake clock's start, in UTC

WHITE, BLACK = (255, 255, 255), (0, 0, 0)


_libc = ctypes.CDLL(None)


def _die_with_the_tests():  # the X server and the game go with the tests, even when they are killed
    _libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def run(args, env=None, check=True, timeout=20):
    # Xvfb now and then refuses a connection right after another closed: such a client did nothing, so rerun it.
    for attempt in range(5):
        result = subprocess.run(args, env=env, timeout=timeout, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if b"open display" not in result.stderr and b"Can't open" not in result.stderr:
            break
        time.sleep(0.2)
    if check and result.returncode != 0:
        raise subprocess.CalledProcessError(result.returncode, args, result.stdout, result.stderr)
    return result


def wait_for(probe, timeout, message, interval=0.05):
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        if time.monotonic() > deadline:
            raise AssertionError(message)
        time.sleep(interval)
    return value


# Screenshots and pictures

class Image:
    """A screenshot or a picture: pixel(x, y) gives (r, g, b), rows top first."""

    def __init__(self, width, height, read):
        self.width, self.height = width, height
        self.pixel = read

    @classmethod
    def from_ppm(cls, ppm):
        _, size, _, pixels = ppm.split(b"\n", 3)  # as ImageMagick writes it with -strip: no comments
        width, height = map(int, size.split())
        return cls(width, height, lambda x, y: tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3]))

    @classmethod
    def from_xwd(cls, xwd):
        """An xwd dump of a TrueColor window, read in place rather than converted first."""
        (header_size, _, _, _, width, height, _, byte_order, _, _, _, bits_per_pixel, bytes_per_line, _,
         red_mask, green_mask, blue_mask, _, _, colours) = struct.unpack(">20I", xwd[:80])
        if bits_per_pixel not in (24, 32):
            raise ValueError(f"xwd with {bits_per_pixel} bits per pixel")
        data = xwd[header_size + 12 * colours:]
        size = bits_per_pixel // 8
        order = "little" if byte_order == 0 else "big"
        channels = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]

        def read(x, y):
            offset = y * bytes_per_line + size * x
            value = int.from_bytes(data[offset:offset + size], order)
            return tuple((value & mask) >> shift for mask, shift in channels)
        return cls(width, height, read)

    def count_colour(self, box, colour, tolerance=8):
        """How many pixels in box (x0, y0, x1, y1), ends excluded, are near colour."""
        x0, y0, x1, y1 = box
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if near(self.pixel(x, y), colour, tolerance))

    def differences(self, picture, left, bottom):
        """How many pixels differ from the picture drawn with its lower-left corner at (left, bottom)."""
        top = bottom - picture.height
        return sum(1 for y in range(picture.height) for x in range(picture.width)
                   if self.pixel(left + x, top + y) != picture.pixel(x, y))


def near(pixel, colour, tolerance=8):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


_pictures = {}


def picture(name):
    """The picture img/NAME.dat of the source tree, as ImageMagick reads it."""
    if name not in _pictures:
        _pictures[name] = Image.from_ppm(run([CONVERT, "bmp:" + os.path.join(SOURCE_DIR, "img", name + ".dat"),
                                              "-strip", "ppm:-"]).stdout)
    return _pictures[name]


# Text in the toolkit's bitmap fonts

class _GlutFont(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("quantity", ctypes.c_int), ("height", ctypes.c_int),
                ("characters", ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))),
                ("xorig", ctypes.c_float), ("yorig", ctypes.c_float)]


class BitmapFont:
    """A bitmap font of the freeglut the game is linked with, read from its own glyph tables."""

    def __init__(self, symbol):
        self.symbol = symbol
        self._glyphs = None

    def _load(self):
        glut = re.search(r"libglut\S* => (\S+)", run(["ldd", EXE]).stdout.decode()).group(1)
        font = _GlutFont.in_dll(ctypes.CDLL(glut), self.symbol)
        self.height, self.xorig, self.yorig = font.height, int(font.xorig), int(font.yorig)
        self._glyphs = {}
        for code in range(1, 128):
            face = font.characters[code]
            width = face[0]
            row_bytes = (width + 7) // 8
            # Rows are stored bottom first, most significant bit leftmost.
            self._glyphs[chr(code)] = (width, [(column, row) for row in range(self.height) for column in range(width)
                                               if face[1 + row * row_bytes + column // 8] & (0x80 >> column % 8)])

    def ink(self, text):
        """The width of text and its set pixels as (dx, dy) from the start of its baseline, dy growing down."""
        if self._glyphs is None:
            self._load()
        pixels, x = set(), 0
        for character in text:
            width, bits = self._glyphs[character]
            pixels.update((x - self.xorig + column, self.yorig - 1 - row) for column, row in bits)
            x += width
        return x, pixels


BODY = BitmapFont("fgFontFixed9x15")      # the screens' lines
TITLE = BitmapFont("fgFontTimesRoman24")  # the screens' titles


def behind(background):
    """The pixel function of a background: a colour or a whole-surface Image."""
    return background.pixel if isinstance(background, Image) else lambda x, y: background


def shows_text(shot, x, y, text, font=BODY, background=BLACK):
    """Whether the line at (x, y) is the text in white on the background, to one character past its end."""
    width, ink = font.ink(text)
    top, spare, under = y - 1 + font.yorig - (font.height - 1), font.ink("M")[0], behind(background)
    return all(shot.pixel(px, py) == (WHITE if (px - x, py - y) in ink else under(px, py))
               for py in range(top, y + font.yorig) for px in range(x - font.xorig, x + width + spare))


def blank_line(shot, y, background=BLACK, left=380, right=1000, font=BODY):
    """Whether nothing is written on the body line with baseline y."""
    return shows_text(shot, left, y, " " * ((right - left) // font.ink(" ")[0] - 1), font, background)


# Text in the X server's fonts, as the dialogs draw it

class _XFontStruct(ctypes.Structure):
    _fields_ = [("ext_data", ctypes.c_void_p), ("fid", ctypes.c_ulong), ("direction", ctypes.c_uint),
                ("min_char_or_byte2", ctypes.c_uint), ("max_char_or_byte2", ctypes.c_uint),
                ("min_byte1", ctypes.c_uint), ("max_byte1", ctypes.c_uint), ("all_chars_exist", ctypes.c_int),
                ("default_char", ctypes.c_uint), ("n_properties", ctypes.c_int), ("properties", ctypes.c_void_p),
                ("min_bounds", ctypes.c_short * 6), ("max_bounds", ctypes.c_short * 6),
                ("per_char", ctypes.c_void_p), ("ascent", ctypes.c_int), ("descent", ctypes.c_int)]


class DialogText:
    """Draws text off screen in the dialogs' font, to compare with a dialog's screenshot."""

    # The dialogs try these in turn (platform/DialogsX11.cpp) and take the first that the server has.
    FONTS = ("-*-dejavu sans-medium-r-normal--14-*-*-*-*-*-iso8859-1",
             "-*-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1", "9x15", "fixed")

    def __init__(self, server):
        self.x = x = ctypes.CDLL("libX11.so.6")
        c = ctypes
        for name, result, arguments in (
                ("XOpenDisplay", c.c_void_p, [c.c_char_p]),
                ("XLoadQueryFont", c.POINTER(_XFontStruct), [c.c_void_p, c.c_char_p]),
                ("XTextWidth", c.c_int, [c.POINTER(_XFontStruct), c.c_char_p, c.c_int]),
                ("XDefaultRootWindow", c.c_ulong, [c.c_void_p]),
                ("XDefaultDepth", c.c_int, [c.c_void_p, c.c_int]),
                ("XCreatePixmap", c.c_ulong, [c.c_void_p, c.c_ulong, c.c_uint, c.c_uint, c.c_uint]),
                ("XCreateGC", c.c_void_p, [c.c_void_p, c.c_ulong, c.c_ulong, c.c_void_p]),
                ("XSetForeground", c.c_int, [c.c_void_p, c.c_void_p, c.c_ulong]),
                ("XSetFont", c.c_int, [c.c_void_p, c.c_void_p, c.c_ulong]),
                ("XFillRectangle", c.c_int, [c.c_void_p, c.c_ulong, c.c_void_p, c.c_int, c.c_int, c.c_uint, c.c_uint]),
                ("XDrawString", c.c_int, [c.c_void_p, c.c_ulong, c.c_void_p, c.c_int, c.c_int, c.c_char_p, c.c_int]),
                ("XGetImage", c.c_void_p, [c.c_void_p, c.c_ulong, c.c_int, c.c_int, c.c_uint, c.c_uint, c.c_ulong,
                                           c.c_int]),
                ("XGetPixel", c.c_ulong, [c.c_void_p, c.c_int, c.c_int]),
                ("XDestroyImage", c.c_int, [c.c_void_p]),
                ("XFreeGC", c.c_int, [c.c_void_p, c.c_void_p]),
                ("XFreePixmap", c.c_int, [c.c_void_p, c.c_ulong]),
                ("XCloseDisplay", c.c_int, [c.c_void_p])):
            getattr(x, name).restype, getattr(x, name).argtypes = result, arguments

        self.display = wait_for(lambda: x.XOpenDisplay(server.display.encode()), 5, "no connection to Xvfb")
        self.font = next((font for font in (x.XLoadQueryFont(self.display, name.encode()) for name in self.FONTS)
                          if font), None)
        if not self.font:
            raise RuntimeError("the X server has none of the dialogs' fonts")

    def ink(self, line):
        """The set pixels of one line of text, as (x, y) from the top-left of their bounding box."""
        x = self.x
        width = x.XTextWidth(self.font, line.encode(), len(line)) + 4
        height = self.font.contents.ascent + self.font.contents.descent + 4
        pixmap = x.XCreatePixmap(self.display, x.XDefaultRootWindow(self.display), width, height,
                                 x.XDefaultDepth(self.display, 0))
        gc = x.XCreateGC(self.display, pixmap, 0, None)
        x.XSetForeground(self.display, gc, 0xFFFFFF)
        x.XFillRectangle(self.display, pixmap, gc, 0, 0, width, height)
        x.XSetForeground(self.display, gc, 0)
        x.XSetFont(self.display, gc, self.font.contents.fid)
        x.XDrawString(self.display, pixmap, gc, 2, 2 + self.font.contents.ascent, line.encode(), len(line))
        image = x.XGetImage(self.display, pixmap, 0, 0, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        pixels = [(px, py) for py in range(height) for px in range(width) if x.XGetPixel(image, px, py) == 0]
        x.XDestroyImage(image)
        x.XFreeGC(self.display, gc)
        x.XFreePixmap(self.display, pixmap)
        return normalised(pixels)

    def close(self):
        self.x.XCloseDisplay(self.display)


def normalised(pixels):
    """The pixels moved so that their bounding box starts at (0, 0)."""
    left, top = min((p[0] for p in pixels), default=0), min((p[1] for p in pixels), default=0)
    return {(x - left, y - top) for x, y in pixels}


def dialog_message_ink(shot):
    """The black pixels of a dialog's message: those inside its border and above its buttons' faces."""
    face = (250, 250, 250)
    buttons_top = next(y for y in range(shot.height) if any(shot.pixel(x, y) == face for x in range(shot.width)))
    return normalised([(x, y) for y in range(2, buttons_top - 2) for x in range(2, shot.width - 2)
                       if shot.pixel(x, y) == BLACK])


# The game's rules, as far as a test needs them to know what must be on the screen

CELL, ORIGIN_X, ORIGIN_Y, COLUMNS, ROWS = 21, 30, 110, 47, 31
START_SNAKE = [(26, 15), (25, 15), (24, 15), (23, 15)]  # cells, tail first; heading left
LEFT, RIGHT, UP, DOWN = (-1, 0), (1, 0), (0, -1), (0, 1)
ARROWS = {LEFT: "Left", RIGHT: "Right", UP: "Up", DOWN: "Down"}
FOOD_COLOURS = [(0, 204, 0), (255, 255, 0), (255, 0, 0)]  # green, yellow, red
FOOD_POINTS = [5, 10, 40]
SNAKE_COLOURS = [(204, 77, 0), (102, 204, 153), (128, 204, 128), WHITE]  # head and tail, stripes, body, diamond
DIGIT_LEFT, DIGIT_ADVANCE, DIGIT_BOTTOM = 810, 31, 80
PAUSE_AT = (8, 90)
RING_AT = (21, 750)


def centre(cell):
    return ORIGIN_X + CELL * cell[0], ORIGIN_Y + CELL * cell[1]


class Generator:
    """The game's random generator and its food placement."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def rand(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF

    def place_food(self, snake):
        """(kind, cell) of the next food for a snake on these cells."""
        r = self.rand() % 101
        kind = 0 if r <= 25 else 1 if r <= 75 else 2
        while True:
            cell = ((self.rand() + 1) % COLUMNS, (self.rand() + 1) % ROWS)
            if cell not in snake:
                return kind, cell


def first_game_food(seed):
    """The food of a game started from the main menu: the one placed at start-up comes first."""
    generator = Generator(seed)
    generator.place_food(START_SNAKE)
    return generator, generator.place_food(START_SNAKE)


def seeds_placing(food, start, spread=4):
    """The seeds, from the start time's second on, whose first game starts with this (kind, cell) of food."""
    first = calendar.timegm(time.strptime(start, "%Y-%m-%d %H:%M:%S"))
    return [seed for seed in range(first, first + spread) if first_game_food(seed)[1] == food]


def route(food):
    """The cells the head visits to the food (along its row first when the food lies left, else
    along its column, or round the body) and straight on to the wall; the food's index in them;
    the turns as {index of the cell where the head turns: direction}."""
    column, row = START_SNAKE[-1]
    if food[0] < column:
        legs = [(LEFT, column - food[0]), (DOWN if food[1] > row else UP, abs(food[1] - row))]
    elif food[1] != row:
        legs = [(DOWN if food[1] > row else UP, abs(food[1] - row)), (RIGHT, food[0] - column)]
    else:
        legs = [(UP, 1), (RIGHT, food[0] - column), (DOWN, 1)]
    cells, turns, heading = list(START_SNAKE), {}, LEFT
    for direction, steps in legs:
        if steps and direction != heading:
            turns[len(cells) - 1], heading = direction, direction
        for _ in range(steps):
            cells.append((cells[-1][0] + direction[0], cells[-1][1] + direction[1]))
    eaten = len(cells) - 1
    while 0 <= cells[-1][0] + heading[0] < COLUMNS and 0 <= cells[-1][1] + heading[1] < ROWS:
        cells.append((cells[-1][0] + heading[0], cells[-1][1] + heading[1]))
    return cells, eaten, turns


def drive(game, cells, turns, ring=None):
    """Follows the snake along the route, pressing each turn's arrow once the head is on its cell; yields
    each new head position's index and screenshot. Fails if the snake leaves the route or the game ends."""
    position = len(START_SNAKE) - 1
    if position in turns:
        if Board(game.screenshot(), ring).head != cells[position]:
            raise AssertionError("the snake moved before its first turn")
        game.key(ARROWS[turns[position]])
    while position < len(cells) - 1:
        shot = game.screenshot()
        if not on_game_screen(shot):
            raise AssertionError(f"the game ended with the head at {cells[position]}")
        head = Board(shot, ring).head
        if head in (None, cells[position]):
            continue
        if head not in cells[position + 1:]:
            raise AssertionError(f"the snake left its route at {cells[position]} for {head}")
        moved_to = cells.index(head, position + 1)
        if any(position < turn < moved_to for turn in turns):
            raise AssertionError(f"the head passed a turn unseen between {cells[position]} and {head}")
        position = moved_to
        if position in turns:
            game.key(ARROWS[turns[position]])
        yield position, shot


class Board:
    """What the play field of a screenshot shows: the food, the head and the snake's cells."""

    def __init__(self, shot, ring=None):
        self.food, self.head, self.snake = None, None, set()
        for column in range(COLUMNS):
            for row in range(ROWS):
                x, y = centre((column, row))
                pixel = shot.pixel(x, y)
                if ring and 0 <= x - RING_AT[0] < ring.width and 0 <= y - (RING_AT[1] - ring.height) < ring.height \
                        and pixel == ring.pixel(x - RING_AT[0], y - (RING_AT[1] - ring.height)):
                    continue  # the decoration's own pixels
                for kind, colour in enumerate(FOOD_COLOURS):
                    if near(pixel, colour):
                        self.food = (kind, (column, row))
                if any(near(pixel, colour) for colour in SNAKE_COLOURS):
                    self.snake.add((column, row))
                if pixel == WHITE:
                    self.head = (column, row)


def score_digits_errors(shot, score):
    """Pixels of the score's digit pictures that are not on the screen where they belong."""
    return sum(shot.differences(picture(str(digit)), DIGIT_LEFT + DIGIT_ADVANCE * k, DIGIT_BOTTOM)
               for k, digit in enumerate(int(d) for d in str(score)))


BANNER, FRAME = (128, 128, 204), (128, 0, 0)


def on_game_screen(shot):
    """Whether the shot shows the game: the banner's far end and the frame's top edge."""
    return near(shot.pixel(1000, 25), BANNER, 2) and near(shot.pixel(500, 100), FRAME, 2)


# High scores

def high_score_errors(shot, mode, entries, background):
    """The lines of the high-score screen not shown right for the mode's (name, score) entries."""
    lines = [(412, 334, "High Scores", TITLE), (402, 664, "Any key - Main Menu", BODY),
             (412, 404, "<-  Normal  ->" if mode == "Normal" else "<-   Hard   ->", BODY)]
    wrong = [text for x, y, text, font in lines if not shows_text(shot, x, y, text, font, background)]
    for rank, (name, score) in enumerate((list(entries) + [("", 0)] * 10)[:10], 1):
        y = 424 + 20 * rank
        shown = name.partition("\0")[0][:23]
        row = f"{rank}{'  ' if rank < 10 else ' '}-> {score} , {shown}"
        if not (shows_text(shot, 402, y, row, BODY, background) if shown else blank_line(shot, y, background)):
            wrong.append(row if shown else f"rank {rank} blank")
    return wrong


def filed(entries, name, score):
    """A half of the table after filing a score: before the first entry with a lower score."""
    entries = list(entries) + [("", 0)] * (10 - len(entries))
    for i, (_, stored) in enumerate(entries):
        if stored < score:
            return entries[:i] + [(name, score)] + entries[i:9]
    return entries


def score_file(normal=(), hard=(), extra=b""):
    """The bytes of a high-score file with these (name, score) entries, empty ones after them."""
    def half(entries):
        return b"".join(name.encode().ljust(24, b"\0") + struct.pack("<I", score)
                        for name, score in entries).ljust(280, b"\0")
    return half(normal) + half(hard) + extra


# The program and its X server

class XServer:
    """An Xvfb of its own, on the first free display number."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=_die_with_the_tests)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display)

    def xdotool(self, *args, check=True):
        return run(["xdotool", *map(str, args)], env=self.env, check=check).stdout.decode().split()

    def windows(self, name="^Tarvik-Snake$"):
        """Visible windows with the name, as (id, x, y, width, height)."""
        found = [(wid, self.geometry(wid))
                 for wid in self.xdotool("search", "--onlyvisible", "--name", name, check=False)]
        return [(wid, *geometry) for wid, geometry in found if geometry]

    def geometry(self, wid):
        result = run(["xwininfo", "-id", wid], env=self.env, check=False)
        if result.returncode != 0:
            return None
        info = {key.strip(): value.strip() for key, _, value in
                (line.partition(":") for line in result.stdout.decode().splitlines())}
        try:
            return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
                    int(info["Width"]), int(info["Height"]))
        except (KeyError, ValueError):
            return None

    def screenshot(self, wid, path=None):
        """The window's content now; also saved as a PNG file when a path is given."""
        xwd = run(["xwd", "-id", wid, "-silent"], env=self.env).stdout
        if path:
            subprocess.run([CONVERT, "xwd:-", "png:" + path], input=xwd, check=True)
        return Image.from_xwd(xwd)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Game:
    """One run of the real program in a game folder of its own, with the pictures but those
    missing; wrapper runs it under another program (valgrind), slowness stretching every wait."""

    def __init__(self, server, images=True, scores_dir=True, scores=None, start_time=START_TIME, rate=None,
                 wrapper=(), slowness=1, missing=()):
        self.server = server
        self.images = images
        self.slowness = slowness
        self.folder = tempfile.mkdtemp(prefix="tarvik-e2e-")
        if images:
            shutil.copytree(os.path.join(SOURCE_DIR, "img"), os.path.join(self.folder, "img"),
                            ignore=lambda folder, names: [name + ".dat" for name in missing])
        if scores_dir:
            os.mkdir(os.path.join(self.folder, "scores"))
        if scores is not None:
            with open(self.score_path, "wb") as f:
                f.write(scores)
        env = dict(server.env, TZ="UTC")  # the fake start time is read in the local time zone
        if start_time:
            # Fixes the clock the generator is seeded from; a rate slows it, and freeglut's timers with it.
            env["LD_PRELOAD"] = FAKETIME_LIB
            env["FAKETIME"] = "@" + start_time + (f" x{rate}" if rate else "")
            env["FAKETIME_DONT_RESET"] = "1"
            env["FAKETIME_NO_CACHE"] = "1"
        self.process = subprocess.Popen([*wrapper, EXE], cwd=self.folder, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, preexec_fn=_die_with_the_tests)
        # Xvfb may drop a connection that arrives while another client is
        # disconnecting: no X client of ours runs while the game connects.
        time.sleep(0.5 * slowness)
        self.window = None

    @property
    def score_path(self):
        return os.path.join(self.folder, "scores", "HighScores.dat")

    def scores(self):
        with open(self.score_path, "rb") as f:
            return f.read()

    @property
    def background(self):
        """What the menu screens show behind their text."""
        return picture("menu") if self.images else BLACK

    def wait_dialog(self, name="^Tarvik-Snake$", timeout=15):
        """The id of a visible dialog (a window smaller than the surface) with the name."""
        return wait_for(lambda: next((w[0] for w in self.server.windows(name) if w[3] < DIALOG_MAX_WIDTH), None),
                        timeout * self.slowness, "no dialog named " + name, interval=0.1 * self.slowness)

    def answer_dialog(self, dialog, key, timeout=15):
        """Answers a dialog from the keyboard, as a player would, and waits for it to go."""
        self.server.xdotool("windowfocus", "--sync", dialog)
        self.server.xdotool("key", key)
        wait_for(lambda: not any(w[0] == dialog for w in self.server.windows(".")), timeout * self.slowness,
                 "the dialog stayed", interval=0.1 * self.slowness)

    def answer(self, key, timeout=15):
        """Answers the start-up question with a key, e.g. "n", "y", "Escape"."""
        self.answer_dialog(self.wait_dialog(timeout=timeout), key, timeout)

    def wait_window(self, timeout=20):
        """Waits for the game's 1024 x 768 surface and focuses it."""
        self.window = wait_for(lambda: next((w[0] for w in self.server.windows() if w[3:] == SURFACE), None),
                               timeout * self.slowness, "no 1024x768 game window", interval=0.1 * self.slowness)
        self.server.xdotool("windowfocus", "--sync", self.window)
        return self.window

    def start(self, answer="n", timeout=60):
        """Answers the question, acknowledges every picture's error box, waits for the main menu."""
        self.answer(answer)

        def menu_shown():
            for wid, *_ in self.server.windows("^Error$"):
                self.answer_dialog(wid, "Return")
            if not any(w[3:] == SURFACE for w in self.server.windows()):
                return False
            self.wait_window()
            return shows_text(self.screenshot(), 402, 404, "1   - Play Snake (Normal)", BODY, self.background)
        wait_for(menu_shown, timeout * self.slowness, "no main menu", interval=0.1 * self.slowness)
        return self

    def key(self, *keys, delay_ms=40):
        self.server.xdotool("windowfocus", "--sync", self.window)
        self.server.xdotool("key", "--delay", delay_ms, *keys)

    def type(self, text):
        self.server.xdotool("windowfocus", "--sync", self.window)
        self.server.xdotool("type", "--delay", 60, text)

    def hold(self, key, seconds):
        self.server.xdotool("windowfocus", "--sync", self.window)
        self.server.xdotool("keydown", key)
        time.sleep(seconds)
        self.server.xdotool("keyup", key)

    def screenshot(self, path=None):
        """The game's surface now; also saved as a PNG file when a path is given."""
        return self.server.screenshot(self.window, path)

    def wait_screen(self, predicate, message, timeout=15):
        """Waits until a screenshot satisfies predicate; returns that screenshot."""
        return wait_for(lambda: (lambda shot: shot if predicate(shot) else None)(self.screenshot()),
                        timeout * self.slowness, message, interval=0.02 * self.slowness)

    def wait_text(self, x, y, text, font=BODY, timeout=15):
        """Waits for a line of text on the menu screens' background; returns the screenshot."""
        return self.wait_screen(lambda shot: shows_text(shot, x, y, text, font, self.background),
                                f"{text!r} not shown at ({x}, {y})", timeout)

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout * self.slowness)
        except subprocess.TimeoutExpired:
            raise AssertionError("the game did not exit")

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class GameTestCase(unittest.TestCase):
    """One X server for the class, one game folder per game; everything is cleaned up."""

    @classmethod
    def setUpClass(cls):
        cls.server = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def launch(self, **options):
        game = Game(self.server, **options)
        self.addCleanup(game.close)
        return game
