"""Drives the real tarvik-snake under Xvfb: a fresh X server per test class, a
temporary game folder per game, keys through xdotool and screenshots through
xwd and ImageMagick. Standard library only."""

import os
import shutil
import signal
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


class XServer:
    """An Xvfb of its own, on the first free display number."""

    def __init__(self, width=1280, height=1024, depth=24, extra=()):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
             "-nolisten", "tcp", *extra],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Image:
    """A screenshot: pixel(x, y) gives (r, g, b)."""

    def __init__(self, ppm):
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
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm[index + 1:]

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.pixels[offset:offset + 3])

    def count(self, box, predicate):
        """How many pixels in box (x0, y0, x1, y1), ends excluded, satisfy predicate."""
        x0, y0, x1, y1 = box
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if predicate(self.pixel(x, y)))

    def count_colour(self, box, colour, tolerance=8):
        return self.count(box, lambda p: all(abs(a - b) <= tolerance for a, b in zip(p, colour)))


WHITE = (255, 255, 255)


class Game:
    """One run of the real program in a temporary game folder of its own."""

    def __init__(self, server, images=True, scores_dir=True, scores=None, start_time="2026-01-01 00:00:00",
                 rate=None):
        self.server = server
        self.folder = tempfile.mkdtemp(prefix="tarvik-e2e-")
        if images:
            shutil.copytree(os.path.join(SOURCE_DIR, "img"), os.path.join(self.folder, "img"))
        if scores_dir:
            os.mkdir(os.path.join(self.folder, "scores"))
        if scores is not None:
            with open(self.score_path, "wb") as f:
                f.write(scores)
        env = dict(server.env)
        if start_time:
            # Fixes the clock the generator is seeded from; a rate slows it, and freeglut's timers with it.
            env["LD_PRELOAD"] = FAKETIME_LIB
            env["FAKETIME"] = "@" + start_time + (f" x{rate}" if rate else "")
            env["FAKETIME_DONT_RESET"] = "1"
            env["FAKETIME_NO_CACHE"] = "1"
        self.process = subprocess.Popen([EXE], cwd=self.folder, env=env,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        # Xvfb may drop a connection that arrives while another client is
        # disconnecting: no X client of ours runs while the game connects.
        time.sleep(0.5)
        self.window = None

    @property
    def score_path(self):
        return os.path.join(self.folder, "scores", "HighScores.dat")

    def scores(self):
        with open(self.score_path, "rb") as f:
            return f.read()

    # Windows

    def wait_dialog(self, name="^Tarvik-Snake$", timeout=15):
        """The id of a visible dialog (a window smaller than the surface) with the name."""
        return wait_for(lambda: next((w[0] for w in self.server.windows(name) if w[3] < DIALOG_MAX_WIDTH), None),
                        timeout, "no dialog named " + name)

    def answer(self, key, timeout=15):
        """Answers the start-up question with a key, e.g. "n", "y", "Escape"."""
        dialog = self.wait_dialog(timeout=timeout)
        self.server.xdotool("windowfocus", "--sync", dialog)
        self.server.xdotool("key", key)
        wait_for(lambda: not any(w[0] == dialog for w in self.server.windows()), timeout, "the question stayed")

    def wait_window(self, timeout=20):
        """Waits for the game's 1024 x 768 surface and focuses it."""
        def surface():
            for wid, x, y, w, h in self.server.windows():
                if (w, h) == SURFACE:
                    return wid
            return None
        self.window = wait_for(surface, timeout, "no 1024x768 game window")
        self.server.xdotool("windowfocus", "--sync", self.window)
        return self.window

    def start(self, answer="n"):
        """Answers the question and waits for the main menu to be drawn."""
        self.answer(answer)
        self.wait_window()
        self.wait_screen(lambda shot: shot.count_colour((402, 390, 640, 410), WHITE) > 20, "no main menu")
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
        xwd = run(["xwd", "-id", self.window, "-silent"], env=self.server.env).stdout
        if path:
            subprocess.run([CONVERT, "xwd:-", "png:" + path], input=xwd, check=True)
        ppm = subprocess.run([CONVERT, "xwd:-", "ppm:-"], input=xwd, check=True, stdout=subprocess.PIPE).stdout
        return Image(ppm)

    def wait_screen(self, predicate, message, timeout=15):
        """Waits until a screenshot satisfies predicate; returns that screenshot."""
        return wait_for(lambda: (lambda shot: shot if predicate(shot) else None)(self.screenshot()), timeout, message)

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the game did not exit")

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def wait_for(probe, timeout, message, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(message)
        time.sleep(interval)


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
