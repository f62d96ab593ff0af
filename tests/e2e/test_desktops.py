"""The game under real window managers on screens of several sizes: a window that cannot be 1024 x 768
shows the whole surface scaled, centred, its aspect kept, and stays on the screen; a large screen sees
exactly what it saw before."""

import subprocess
import tempfile
import unittest

from harness import SURFACE, Game, XServer, run, wait_for

# Keys, and the screen they lead to: help and back, a Hard game left at once, a name typed and filed.
STEPS = ((), "menu"), (("4",), "help"), (("x",), "menu"), (("2", "Escape"), "game over"), (("a", "l"), "name"), \
    (("Return",), "high scores")
SAMPLE = (64, 48)  # screens are compared as the means of blocks of 16 x 16 surface pixels, to within 12 of 255:
# scaling moves a mean by 8 at most, and typing two letters moves one by 22
REFERENCE = {}     # each screen as drawn straight into a 1024 x 768 window


def sample(xwd, crop=None):
    crop = ["-crop", "%dx%d+%d+%d" % crop, "+repage"] if crop else []
    return subprocess.run(["convert", "xwd:-", *crop, "-resize", "%dx%d!" % SAMPLE, "-depth", "8", "rgb:-"], input=xwd,
                          stdout=subprocess.PIPE, check=True).stdout


class Desktop(XServer):
    """Xvfb with a screen of the size given and a window manager on it."""

    def __init__(self, size, manager, *clients):
        super().__init__(("Xvfb", "-screen", "0", "%dx%dx24" % size))
        self.config = tempfile.NamedTemporaryFile("w", suffix=".conf")
        # The one X core font every server has, in i3's current syntax (an older one is converted at each start).
        print("# i3 config file (v4)\nfont fixed", file=self.config, flush=True)
        self.start_manager(*(["i3", "-c", self.config.name] if manager == "i3" else manager.split()))
        for client in clients:
            self.start([client], lambda: self.windows("^%s$" % client), "no window of " + client)

    def placement(self, wid):
        """The client area on the screen (x, y, width, height), and the frame's (left, right, top, bottom)."""
        info = dict(line.strip().split(": ", 1) for line in run(["xwininfo", "-id", wid], env=self.env).stdout
                    .decode().splitlines() if ": " in line)
        frame = self.xprop("-id", wid, "_NET_FRAME_EXTENTS").partition("=")[2] or "0, 0, 0, 0"
        return (tuple(int(info[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")),
                tuple(int(n) for n in frame.split(",")))

    def stop(self):
        super().stop()
        self.config.close()


class Desktops(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        server = XServer()
        try:
            game = Game(server).start()
            for keys, name in STEPS:
                if keys:
                    game.key(*keys)
                shots = [b"", b"-"]
                wait_for(lambda: shots.append(sample(server.screenshot(game.window).xwd)) or shots[-1] == shots[-2],
                         30, "the screen never rests", interval=0.3)
                REFERENCE[name] = shots[-1]
            game.close()
        finally:
            server.stop()

    def play(self, size, manager, *clients, missing=()):
        """Starts the game on that desktop, with an error box for each missing picture; returns the server,
        the game and its window's size after checking that it lies on the screen with its frame."""
        server = Desktop(size, manager, *clients)
        self.addCleanup(server.stop)
        game = Game(server, missing=missing)
        self.addCleanup(game.close)
        game.answer("n")
        for _ in missing:
            game.answer_dialog(game.wait_dialog("^Error$"), "Return")
        game.wait_window(None)
        (x, y, width, height), (left, right, top, bottom) = server.placement(game.window)
        self.assertGreaterEqual(min(x - left, y - top), 0)
        self.assertLessEqual((x + width + right, y + height + bottom), size)
        return server, game, (width, height)

    def assert_steps_show_whole(self, server, game):
        """Each step's screen whole: as large as the window holds at 4:3, centred on black, its content the
        screen drawn straight."""
        for keys, name in STEPS:
            if keys:
                game.key(*keys)
            seen = []

            def shown():
                shot = server.screenshot(game.window)
                width, height = server.geometry(game.window)[2:]
                lit = [[i for i in range(n) if shot.pixel(*at(i)) != (0, 0, 0)]
                       for n, at in ((width, lambda i: (i, height // 2)), (height, lambda i: (width // 2, i)))]
                if not all(lit):
                    return False
                (left, right), (top, bottom) = (lit[0][0], lit[0][-1] + 1), (lit[1][0], lit[1][-1] + 1)
                seen[:] = [(right - left, bottom - top, left, top), (width, height)]
                whole = (right - left == width or bottom - top == height) and abs(3 * (right - left) - 4 * (bottom - top)) <= 4
                centred = abs(left + right - width) <= 1 and abs(top + bottom - height) <= 1
                content = sample(shot.xwd, seen[0])
                return whole and centred and max(abs(a - b) for a, b in zip(content, REFERENCE[name])) <= 12
            wait_for(shown, 30, lambda: f"not the whole {name} screen: picture (w, h, x, y), window {seen}")

    def test_openbox_on_a_large_screen_changes_nothing(self):
        server, game, size = self.play((1280, 1024), "openbox")
        (x, y, *_), (left, _, top, _) = server.placement(game.window)
        self.assertEqual((x - left, y - top, *size), (150, 50, *SURFACE))
        game.wait_screen("menu")

    def test_openbox_applies_its_rules_for_the_games_class_from_the_first_map(self):
        # openbox reads a window's class only when it first manages it: a rule for the class that the menu
        # entry names takes the frame away from the game's window and its boxes.
        with tempfile.NamedTemporaryFile("w", suffix=".xml") as rules:
            print('<openbox_config xmlns="http://openbox.org/3.4/rc"><applications><application class="Tarvik-Snake">'
                  '<decor>no</decor></application></applications></openbox_config>', file=rules, flush=True)
            server, game, size = self.play((1280, 1024), "openbox --config-file " + rules.name, missing=("ring",))
            _, (left, right, top, bottom) = server.placement(game.window)
            self.assertEqual((size, top), (SURFACE, bottom))  # a border at most, no title bar

    def test_openbox_on_small_screens_opens_the_largest_window_that_fits_and_shows_the_whole_surface(self):
        for screen, missing in (((1366, 768), ()), ((1024, 600), ("ring",))):
            with self.subTest(screen=screen):
                server, game, (width, height) = self.play(screen, "openbox", missing=missing)
                _, (left, right, top, bottom) = server.placement(game.window)
                self.assertEqual((width % 4, 3 * width), (0, 4 * height))  # 4:3, and one step more would not fit
                self.assertTrue(width + 4 + left + right > screen[0] or height + 3 + top + bottom > screen[1])
                self.assert_steps_show_whole(server, game)

    def test_i3_tiles_the_window_alone_and_beside_another_and_the_surface_is_shown_whole_in_the_tile(self):
        for beside in ((), ("xlogo",)):
            with self.subTest(beside=beside):
                server, game, (width, _) = self.play((1280, 1024), "i3", *beside)
                self.assertEqual(width < 700, bool(beside))
                self.assert_steps_show_whole(server, game)


if __name__ == "__main__":
    unittest.main()
