"""Drives the real tarvik-snake under Xvfb: a fresh X server per test class, a
temporary game folder per game, keys through xdotool and screenshots through
xwd. Text on the screen is compared pixel for pixel with the toolkit's own
bitmap fonts, and the game's generator is modelled, so that food positions are
known in advance. Standard library only."""

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

SOURCE_DIR = os.environ.get(
    "TARVIK_SOURCE_DIR", os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
EXE = os.environ.get("TARVIK_EXE", os.path.join(SOURCE_DIR, "build", "test", "tarvik-snake"))
FAKETIME_LIB = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
CONVERT = "/usr/bin/convert"

SURFACE = (1024, 768)
DIALOG_MAX_WIDTH = 900  # the question and error boxes are far smaller than the game's surface
START_TIME = "2026-01-01 00:00:00"  # the fake clock's start, in UTC

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


_libc = ctypes.CDLL(None)


def _die_with_the_tests():
    # The X server and the game go when the test process goes, even when it is killed.
    _libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def run(args, env=None, check=True, timeout=20):
    # Xvfb now and then refuses a connection opened right after another one
    # closed; such a client did nothing yet and is simply run again.
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
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(message)
        time.sleep(interval)


# Screenshots and pictures

class Image:
    """A screenshot or a picture: pixel(x, y) gives (r, g, b), rows top first."""

    def __init__(self, width, height, read):
        self.width, self.height = width, height
        self.pixel = read

    @classmethod
    def from_ppm(cls, ppm):
        fields = []
        index = 0
        while len(fields) < 4:  # magic, width, height, maximum value; "#" starts a comment line
            while ppm[index:index + 1].isspace():
                index += 1
            if ppm[index:index + 1] == b"#":
                index = ppm.index(b"\n", index)
                continue
            start = index
            while not ppm[index:index + 1].isspace():
                index += 1
            fields.append(ppm[start:index])
        width, height = int(fields[1]), int(fields[2])
        pixels = ppm[index + 1:]
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

    def count(self, box, predicate):
        """How many pixels in box (x0, y0, x1, y1), ends excluded, satisfy predicate."""
        x0, y0, x1, y1 = box
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if predicate(self.pixel(x, y)))

    def count_colour(self, box, colour, tolerance=8):
        return self.count(box, lambda p: near(p, colour, tolerance))

    def crop(self, box):
        x0, y0, x1, y1 = box
        return [self.pixel(x, y) for y in range(y0, y1) for x in range(x0, x1)]

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
        ppm = subprocess.run([CONVERT, "bmp:" + os.path.join(SOURCE_DIR, "img", name + ".dat"), "-strip", "ppm:-"],
                             check=True, stdout=subprocess.PIPE).stdout
        _pictures[name] = Image.from_ppm(ppm)
    return _pictures[name]


# Text in the toolkit's bitmap fonts

class _GlutFont(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("quantity", ctypes.c_int), ("height", ctypes.c_int),
                ("characters", ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))),
                ("xorig", ctypes.c_float), ("yorig", ctypes.c_float)]


def _glut_library():
    """The freeglut library the game itself is linked with."""
    listing = subprocess.run(["ldd", EXE], check=True, stdout=subprocess.PIPE).stdout.decode()
    return ctypes.CDLL(re.search(r"libglut\S* => (\S+)", listing).group(1))


class BitmapFont:
    """One of freeglut's bitmap fonts, read from the library's own glyph tables,
    so that a line of text can be compared with the screen pixel for pixel."""

    def __init__(self, symbol):
        self.symbol = symbol
        self._glyphs = None

    def _load(self):
        font = _GlutFont.in_dll(_glut_library(), self.symbol)
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


def text_errors(shot, x, y, text, font=BODY, background=BLACK):
    """Pixels of the line at (x, y) that are not text drawn in white in the font on
    the background (a colour or a whole-surface Image). The box checked reaches
    one character beyond the end, so a longer text does not pass either."""
    width, ink = font.ink(text)
    spare = font.ink("M")[0]
    top = y - 1 + font.yorig - (font.height - 1)
    wrong = []
    for py in range(top, y + font.yorig):
        for px in range(x - font.xorig, x + width + spare):
            if (px - x, py - y) in ink:
                expected = WHITE
            else:
                expected = background.pixel(px, py) if isinstance(background, Image) else background
            if shot.pixel(px, py) != expected:
                wrong.append((px, py))
    return wrong


def shows_text(shot, x, y, text, font=BODY, background=BLACK):
    return not text_errors(shot, x, y, text, font, background)


def blank_line(shot, y, background=BLACK, left=380, right=1000, font=BODY):
    """Whether nothing is written on the body line with baseline y."""
    return text_errors(shot, left, y, " " * ((right - left) // font.ink(" ")[0] - 1), font, background) == []


# Text in the X server's fonts, as the dialogs draw it

class _XFontStruct(ctypes.Structure):
    _fields_ = [("ext_data", ctypes.c_void_p), ("fid", ctypes.c_ulong), ("direction", ctypes.c_uint),
                ("min_char_or_byte2", ctypes.c_uint), ("max_char_or_byte2", ctypes.c_uint),
                ("min_byte1", ctypes.c_uint), ("max_byte1", ctypes.c_uint), ("all_chars_exist", ctypes.c_int),
                ("default_char", ctypes.c_uint), ("n_properties", ctypes.c_int), ("properties", ctypes.c_void_p),
                ("min_bounds", ctypes.c_short * 6), ("max_bounds", ctypes.c_short * 6),
                ("per_char", ctypes.c_void_p), ("ascent", ctypes.c_int), ("descent", ctypes.c_int)]


class DialogText:
    """Draws text off screen with the font the game's dialogs take, to compare
    with a dialog's screenshot. Keeps one connection to the server while it lives."""

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
    if not pixels:
        return set()
    left, top = min(p[0] for p in pixels), min(p[1] for p in pixels)
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
    """The cells the head visits from the start to the food and straight on to the
    last cell before the wall: along its row first when the food lies to the left,
    else along its column first (and round the body when the food lies right behind
    it). Also the index of the food's cell, and the turns as {index of the cell
    where the head turns: direction}."""
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
    """Follows the snake along the route's cells to the last one, pressing each
    turn's arrow as soon as the head stands on the turn's cell. Yields the index of
    each new head position with its screenshot; fails when the snake leaves the
    route, passes a turn unseen or the game ends on the way."""
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

HIGH_SCORE_ROWS = [444 + 20 * i for i in range(10)]


def high_score_errors(shot, mode, entries, background):
    """What the high-score screen does not show right for the list of (name, score)
    entries of the mode ("Normal" or "Hard"), as a list of the lines in question."""
    lines = [(412, 334, "High Scores", TITLE), (412, 404, "<-  Normal  ->" if mode == "Normal" else "<-   Hard   ->", BODY),
             (402, 664, "Any key - Main Menu", BODY)]
    wrong = [text for x, y, text, font in lines if not shows_text(shot, x, y, text, font, background)]
    for rank, (y, (name, score)) in enumerate(zip(HIGH_SCORE_ROWS, list(entries) + [("", 0)] * 10), 1):
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


def score_record(name, score):
    return name.encode().ljust(24, b"\0") + struct.pack("<I", score)


def score_file(normal=(), hard=(), extra=b""):
    """The bytes of a high-score file with these (name, score) entries, empty ones after them."""
    def half(entries):
        return b"".join(score_record(*entry) for entry in entries).ljust(280, b"\0")
    return half(normal) + half(hard) + extra


# The program and its X server

class XServer:
    """An Xvfb of its own, on the first free display number."""

    def __init__(self, width=1280, height=1024, depth=24, extra=()):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
             "-nolisten", "tcp", *extra],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_the_tests)
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
        found = []
        for wid in self.xdotool("search", "--onlyvisible", "--name", name, check=False):
            geometry = self.geometry(wid)
            if geometry:
                found.append((wid, *geometry))
        return found

    def geometry(self, wid):
        result = run(["xwininfo", "-id", wid], env=self.env, check=False)
        if result.returncode != 0:
            return None
        info = {}
        for line in result.stdout.decode().splitlines():
            key, _, value = line.strip().partition(":")
            info[key] = value.strip()
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
    """One run of the real program in a temporary game folder of its own, with the
    pictures but those named in missing. wrapper runs it under another program
    (valgrind); slowness then stretches every wait."""

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

    # Windows

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
        def surface():
            for wid, x, y, w, h in self.server.windows():
                if (w, h) == SURFACE:
                    return wid
            return None
        self.window = wait_for(surface, timeout * self.slowness, "no 1024x768 game window",
                               interval=0.1 * self.slowness)
        self.server.xdotool("windowfocus", "--sync", self.window)
        return self.window

    def start(self, answer="n", timeout=60):
        """Answers the question, acknowledges the error box of every picture that
        cannot be read, and waits for the main menu to be drawn."""
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

    # Input

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

    # Output

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

    server_options = {}

    @classmethod
    def setUpClass(cls):
        cls.server = XServer(**cls.server_options)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def launch(self, **options):
        game = Game(self.server, **options)
        self.addCleanup(game.close)
        return game
