"""Drives the real tarvik-snake on an X server of its own: a game folder per game, keys through xdotool,
screenshots through xwd, compared with the checksums of recorded screens in screens.txt. To record them
again, run a test with TARVIK_UPDATE_GOLDEN=1 (one at a time), then look at the PNG files it names."""

import ctypes
import hashlib
import os
import pwd
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.environ.get("TARVIK_SOURCE_DIR", os.path.join(HERE, "..", ".."))
EXE = os.environ.get("TARVIK_EXE", os.path.join(SOURCE_DIR, "build", "test", "tarvik-snake"))
GOLDEN = os.path.join(HERE, "screens.txt")
with open(GOLDEN) as f:
    RECORDED = dict(line.split() for line in f)
UPDATE = os.environ.get("TARVIK_UPDATE_GOLDEN") == "1"
SURFACE = (1024, 768)
WHITE = (255, 255, 255)
# The generator is seeded from the fake clock in the program's first real seconds, long before this
# slowed clock reaches the next second: the first food is then yellow (10 points) at cell (8, 8), and
# a Hard step takes 0.6 s. The snake, heading left from (23, 15), turns up at (8, 15) to reach it.
START, RATE = "2026-01-01 17:54:11", 0.09


def centre(column, row):
    return 30 + 21 * column, 110 + 21 * row


def _die_with_the_tests():  # the X server and the game go with the tests, even when they are killed
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def as_user(name):
    """What a child runs before the program: it becomes the user named, if any, then goes with the tests."""
    def switch():
        if name:
            user = pwd.getpwnam(name)
            os.setgroups([])
            os.setgid(user.pw_gid)
            os.setuid(user.pw_uid)
        _die_with_the_tests()  # after the switch, which clears it
    return switch


def run(args, env=None):
    # Xvfb now and then refuses a connection right after another closed: such a client did nothing, so rerun it.
    for _ in range(5):
        result = subprocess.run(args, env=env, timeout=20, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if b"open display" not in result.stderr and b"Can't open" not in result.stderr:
            break
        time.sleep(0.2)
    return result


def wait_for(probe, timeout, message, interval=0.05):
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        if time.monotonic() > deadline:
            raise AssertionError(message() if callable(message) else message)
        time.sleep(interval)
    return value


class Shot:
    """A window's content as xwd dumps it from these servers: 32 bits a pixel, blue first."""

    def __init__(self, xwd):
        header = struct.unpack(">20I", xwd[:80])
        self.xwd, self.line = xwd, header[12]
        self.data = xwd[header[0] + 12 * header[19]:]
        self.checksum = hashlib.md5(self.data).hexdigest()

    def pixel(self, x, y):
        blue, green, red = self.data[y * self.line + 4 * x:y * self.line + 4 * x + 3]
        return red, green, blue

    def save(self, name, folder=None):
        """Writes the shot as a PNG file, by default named after the screen in the temporary folder."""
        path = os.path.join(folder or tempfile.gettempdir(), (name if folder else "tarvik-" + name) + ".png")
        subprocess.run(["convert", "xwd:-", "png:" + path], input=self.xwd, check=True)
        return path


def on_game_screen(shot, left=0, scale=1.0):
    """The banner's colour at its far end, where a surface scaled by scale from left shows it."""
    return all(abs(a - b) <= 2 for a, b in zip(shot.pixel(left + int(1000 * scale), int(25 * scale)), (128, 128, 204)))


def score_file(normal=(), hard=(), extra=b""):
    """The bytes of a high-score file with these (name, score) entries, empty ones after them."""
    def half(entries):
        return b"".join(name.encode().ljust(24, b"\0") + struct.pack("<I", score) for name, score in entries).ljust(
            280, b"\0")
    return half(normal) + half(hard) + extra


class XServer:
    """An X server of its own on the first free display: Xvfb with a 1280 x 1024 screen, or the command given."""

    def __init__(self, command=("Xvfb", "-screen", "0", "1280x1024x24")):
        read_end, write_end = os.pipe()
        # Only the server's own fonts: the dialogs then look the same whatever font packages the machine has.
        self.process = subprocess.Popen([*command, "-fp", "built-ins", "-nolisten", "tcp", "-displayfd", str(write_end)],
                                        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        preexec_fn=_die_with_the_tests)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            self.display = ":" + pipe.readline().strip()
        if self.display == ":":
            raise RuntimeError(command[0] + " did not start")
        self.env = dict(os.environ, DISPLAY=self.display)
        self.clients = []

    def start(self, command, ready, message):
        """Starts a client that stays (a window manager, say) and waits until it is ready. As with run(), one
        that the server refused at once did nothing and is started again."""
        for _ in range(5):
            process = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.clients.append(process)
            wait_for(lambda: process.poll() is not None or ready(), 20, message)
            if process.poll() is None:
                return
        raise AssertionError(message)

    def start_manager(self, *command):
        self.start(command, lambda: "window id" in self.xprop("-root", "_NET_SUPPORTING_WM_CHECK"),
                   command[0] + " did not start")

    def xprop(self, *args):
        return run(["xprop", *args], env=self.env).stdout.decode()

    def xdotool(self, *args):
        return run(["xdotool", *map(str, args)], env=self.env).stdout.decode().split()

    def geometry(self, wid):
        """(x, y, width, height), or None once the window is gone."""
        found = dict(word.split("=") for word in self.xdotool("getwindowgeometry", "--shell", wid))
        return tuple(int(found[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")) if "X" in found else None

    def windows(self, name="^Tarvik-Snake$"):
        """Visible windows with the name, as (id, x, y, width, height)."""
        found = [(wid, self.geometry(wid)) for wid in self.xdotool("search", "--onlyvisible", "--name", name)]
        return [(wid, *geometry) for wid, geometry in found if geometry]

    def properties(self, wid, *names):
        """The named properties as xprop shows them without their types, the icon as its numbers."""
        lines = run(["xprop", "-id", wid, "-notype", "-f", "_NET_WM_ICON", "32c", " = $0+", *names],
                    env=self.env).stdout.decode().splitlines()
        return dict(line.split(" = ", 1) for line in lines if " = " in line)

    def screenshot(self, wid):
        return Shot(run(["xwd", "-id", wid, "-silent"], env=self.env).stdout)

    def stop(self):
        for client in self.clients:
            client.kill()
            client.wait()
        self.process.terminate()
        self.process.wait(timeout=10)


class XorgServer(XServer):
    """A private Xorg with the dummy video driver, which unlike Xvfb has video modes: one monitor with a
    1280x1024 desktop, 1024x768 and 800x600 (xorg-dummy.conf), or two 1920x1080 monitors side by side
    (xorg-dummy-wide.conf and two outputs set up). Run as root, which may name any config file."""

    def __init__(self, two_monitors=False):
        self.folder = tempfile.mkdtemp(prefix="tarvik-xorg-")  # for its log, and the old one it keeps beside it
        config = "xorg-dummy-wide.conf" if two_monitors else "xorg-dummy.conf"
        # Shares the console's virtual terminal rather than taking one, where there are any.
        super().__init__(("Xorg", "-noreset", "-keeptty", "-sharevts", "-novtswitch", "-config",
                          os.path.join(HERE, config), "-logfile", os.path.join(self.folder, "log")))
        if two_monitors:
            self.xrandr("--addmode", "DUMMY1", "1920x1080")
            self.xrandr("--output", "DUMMY1", "--mode", "1920x1080", "--right-of", "DUMMY0")
            self.xrandr()  # outputs probed once, as any desktop does at start
        c = ctypes
        self.x, self.vidmode, self.xfixes = (c.CDLL(name) for name in ("libX11.so.6", "libXxf86vm.so.1", "libXfixes.so.3"))
        self.x.XOpenDisplay.restype = self.xfixes.XFixesGetCursorImage.restype = c.c_void_p
        self.x.XOpenDisplay.argtypes = [c.c_char_p]
        self.connection = c.c_void_p(wait_for(lambda: self.x.XOpenDisplay(self.display.encode()), 10, "no connection"))
        self.xfixes.XFixesQueryExtension(self.connection, c.byref(c.c_int()), c.byref(c.c_int()))

    def xrandr(self, *args):
        result = run(["xrandr", *args], env=self.env)
        if result.returncode:
            raise RuntimeError(f"xrandr {' '.join(args)}: {result.stderr.decode()}")
        return result.stdout.decode()

    def choose_mode(self, size):
        """Sets the monitor's mode as a player would, with xrandr, the screen kept at its size; a second look,
        which probes the outputs, brings the video-mode extension's record of this server up to date."""
        self.xrandr("--fb", "1280x1024", "--output", "DUMMY0", "--mode", size)
        self.xrandr()

    def video_mode(self):
        """The video mode the server shows: (width, height, dot clock), by XF86VidModeGetModeLine."""
        clock, line = ctypes.c_int(), (ctypes.c_ushort * 32)()  # hdisplay first, vdisplay sixth
        if not self.vidmode.XF86VidModeGetModeLine(self.connection, 0, ctypes.byref(clock), line):
            raise RuntimeError("XF86VidModeGetModeLine failed")
        return line[0], line[5], clock.value

    def pointer_hidden(self):
        """Whether the pointer's current cursor has no visible pixel."""
        image = self.xfixes.XFixesGetCursorImage(self.connection)
        width, height = struct.unpack("2H", ctypes.string_at(image + 4, 4))  # after x and y, two shorts
        pixels = ctypes.cast(ctypes.c_void_p.from_address(image + 24).value, ctypes.POINTER(ctypes.c_ulong))
        hidden = not any(pixels[i] >> 24 for i in range(width * height))
        self.x.XFree(ctypes.c_void_p(image))
        return hidden

    def stop(self):
        self.x.XCloseDisplay(self.connection)
        super().stop()
        shutil.rmtree(self.folder, ignore_errors=True)


class Game:
    """One run of the real program in a game folder of its own with the pictures (all, none or those not
    missing) and a high-score file; start=None runs it on the real clock; wrapper runs it under another
    program, slowness stretching every wait; exe and environment start the launcher with more variables;
    user runs it as that user, who owns the folder."""

    def __init__(self, server, images=True, missing=(), scores=None, start=START, rate=RATE, wrapper=(),
                 slowness=1, exe=EXE, environment=(), folders=True, user=None):
        self.server, self.slowness, self.window = server, slowness, None
        self.menu = "menu" if images else "menu-black"
        self.folder = tempfile.mkdtemp(prefix="tarvik-e2e-")
        self.score_path = os.path.join(self.folder, "scores", "HighScores.dat")
        if folders:
            os.mkdir(os.path.join(self.folder, "scores"))
            if images:
                shutil.copytree(os.path.join(SOURCE_DIR, "img"), os.path.join(self.folder, "img"),
                                ignore=lambda folder, names: [name + ".dat" for name in missing])
        if scores is not None:
            with open(self.score_path, "wb") as f:
                f.write(scores)
        if user:
            subprocess.run(["chown", "-R", user, self.folder], check=True)
        env = dict(server.env, TZ="UTC", **dict(environment))  # the fake start time is read in the local time zone
        if start:  # a rate slows the clock, and freeglut's timers with it
            env.update(LD_PRELOAD="/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                       FAKETIME=f"@{start} x{rate}", FAKETIME_DONT_RESET="1", FAKETIME_NO_CACHE="1")
        self.process = subprocess.Popen([*wrapper, exe], cwd=self.folder, env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, preexec_fn=as_user(user))
        # Xvfb may drop a connection that arrives while another client is
        # disconnecting: no X client of ours runs while the game connects.
        time.sleep(0.5 * slowness)

    def scores(self):
        with open(self.score_path, "rb") as f:
            return f.read()

    def wait_dialog(self, name="^Tarvik-Snake$"):
        """The id of a visible dialog (a window narrower than the surface) with the name."""
        return wait_for(lambda: next((w[0] for w in self.server.windows(name) if w[3] < 900), None),
                        60 * self.slowness, "no dialog named " + name, interval=0.1 * self.slowness)

    def answer_dialog(self, dialog, key):
        """Answers a dialog from the keyboard, as a player would, and waits for it to go."""
        self.server.xdotool("windowfocus", "--sync", dialog)
        self.server.xdotool("key", key)
        wait_for(lambda: not self.server.geometry(dialog), 60 * self.slowness, "the dialog stayed",
                 interval=0.1 * self.slowness)

    def answer(self, key):  # the start-up question, e.g. with "n", "y", "Escape"
        self.answer_dialog(self.wait_dialog(), key)

    def answer_errors(self):
        for wid, *_ in self.server.windows("^Error$"):
            self.answer_dialog(wid, "Return")

    def wait_window(self, size=SURFACE):
        """Waits for the game's window, of that size unless None, and focuses it."""
        def surface():
            return next((w[0] for w in self.server.windows() if size in (None, tuple(w[3:]))), None)
        self.window = wait_for(surface, 60 * self.slowness, f"no game window of {size}", interval=0.1 * self.slowness)
        self.server.xdotool("windowfocus", "--sync", self.window)
        return self.window

    def start(self, answer="n"):
        """Answers the question and every picture's error box, waits for the main menu."""
        self.answer(answer)
        self.wait_window()
        # The surface is up before the pictures are read: their error boxes may come after it.
        self.wait_screen(self.menu, before=self.answer_errors)
        return self

    def key(self, *keys):
        self.server.xdotool("windowfocus", "--sync", self.window)
        self.server.xdotool("key", "--delay", 40, *keys)

    def type(self, text):
        self.server.xdotool("windowfocus", "--sync", self.window)
        self.server.xdotool("type", "--delay", 60, text)

    def wait(self, predicate, message):
        """Waits until a screenshot of the surface satisfies predicate."""
        wait_for(lambda: predicate(self.server.screenshot(self.window)), 30 * self.slowness, message, 0.02)

    def wait_screen(self, name, wid=None, before=lambda: None):
        """Waits until the window (the surface by default) shows the screen recorded as name, calling before
        ahead of each look; in update mode records what it shows once it rests instead."""
        wid = wid or self.window
        shots = [self.server.screenshot(wid)]
        if not UPDATE:
            def shown():
                before()
                shots[0] = self.server.screenshot(wid)
                return shots[0].checksum == RECORDED[name]
            wait_for(shown, 30 * self.slowness, lambda: f"not the {name} screen: {shots[0].save(name + '-seen')}")
            return

        def rests():
            before()
            time.sleep(self.slowness)
            shots.append(self.server.screenshot(wid))
            return shots[-1].checksum == shots[-2].checksum
        wait_for(rests, 60 * self.slowness, "the screen never rests")
        RECORDED[name] = shots[-1].checksum
        with open(GOLDEN, "w") as f:
            f.writelines(f"{key} {value}\n" for key, value in sorted(RECORDED.items()))
        print("recorded", shots[-1].save(name))

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout * self.slowness)
        except subprocess.TimeoutExpired:
            raise AssertionError("the game did not exit")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def play(game, name):
    """Steers the game just started to its first food and on into the top wall, then files the score under
    the name; waits for the game-over screen in between."""
    game.wait(lambda shot: shot.pixel(*centre(8, 15)) == WHITE, "the head never reached its turn")  # its diamond
    game.key("Up")
    game.wait_screen("game-over-10")
    game.type(name)
    game.key("Return")


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
