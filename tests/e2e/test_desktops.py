"""The game under real window managers on screens of several sizes: a window that cannot be 1024 x 768
shows the whole surface scaled, centred, its aspect kept, and stays on the screen; a large screen sees
exactly what it saw before."""

import subprocess
import tempfile
import time
import unittest

from harness import SURFACE, Game, XServer, run, wait_for

REFERENCE = {}  # screen name -> the surface as drawn straight into a 1024 x 768 window
SAMPLE = (64, 48)  # the grid of 16 x 16-pixel blocks the surface's content is compared on


def sample(xwd, crop=None):
    """The picture averaged over SAMPLE's blocks, as RGB bytes."""
    args = ["convert", "xwd:-", *(["-crop", "%dx%d+%d+%d" % crop, "+repage"] if crop else []),
            "-resize", "%dx%d!" % SAMPLE, "-depth", "8", "rgb:-"]
    return subprocess.run(args, input=xwd, stdout=subprocess.PIPE, check=True).stdout


class Desktop(XServer):
    """Xvfb with a screen of the size given and a window manager on it."""

    def __init__(self, size, manager):
        super().__init__(("Xvfb", "-screen", "0", "%dx%dx24" % size, "-fp", "built-ins"))
        self.size = size
        config = tempfile.NamedTemporaryFile("w", prefix="tarvik-i3-", suffix=".conf")
        config.write("font fixed\n")  # the one X core font every server has
        config.flush()
        command = ["i3", "-c", config.name] if manager == "i3" else ["openbox"]
        self.manager = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.clients = [self.manager]
        wait_for(lambda: "window id" in self.xprop("-root", "_NET_SUPPORTING_WM_CHECK"), 20, manager + " did not start")
        config.close()

    def xprop(self, *args):
        return run(["xprop", *args], env=self.env).stdout.decode()

    def start_client(self, *command):
        self.clients.append(subprocess.Popen(command, env=self.env, stderr=subprocess.DEVNULL))

    def placement(self, wid):
        """The client area on the screen (x, y, width, height), and the frame's (left, right, top, bottom)."""
        info = dict(line.strip().split(": ", 1) for line in run(["xwininfo", "-id", wid], env=self.env).stdout.decode()
                    .splitlines() if ": " in line)
        area = tuple(int(info[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
        frame = self.xprop("-id", wid, "_NET_FRAME_EXTENTS").partition("=")[2]
        return area, tuple(int(n) for n in frame.split(",")) if frame else (0, 0, 0, 0)

    def stop(self):
        for client in reversed(self.clients):
            client.kill()
            client.wait()
        super().stop()


class Desktops(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        # The screens to compare with, drawn straight into the window on a bare server.
        server = XServer(("Xvfb", "-screen", "0", "1280x1024x24", "-fp", "built-ins"))
        try:
            game = Game(server).start()
            for key, name in ((None, "menu"), ("4", "help")):
                if key:
                    game.key(key)
                game.wait_screen(name)
                REFERENCE[name] = sample(server.screenshot(game.window).xwd)
            game.close()
        finally:
            server.stop()

    def desktop(self, size, manager):
        server = Desktop(size, manager)
        self.addCleanup(server.stop)
        return server

    def launch(self, server, size=None):
        game = Game(server)
        self.addCleanup(game.close)
        game.answer("n")
        game.wait_window(size)
        return game

    def assert_on_screen(self, server, game):
        """The window with its frame lies on the screen; returns its client area's size."""
        (x, y, width, height), (left, right, top, bottom) = server.placement(game.window)
        self.assertGreaterEqual(min(x - left, y - top), 0)
        self.assertLessEqual(x + width + right, server.size[0])
        self.assertLessEqual(y + height + bottom, server.size[1])
        return width, height

    def assert_shows(self, server, game, name):
        """Waits until the window shows the screen name whole: the surface's picture as large as the window
        holds at 4:3, centred on black, its content the screen drawn straight."""
        seen = []

        def shown():
            shot = server.screenshot(game.window)
            width, height = server.geometry(game.window)[2:]
            row, column = [shot.pixel(x, height // 2) for x in range(width)], [shot.pixel(width // 2, y) for y in range(height)]
            lit = [i for i, p in enumerate(row) if p != (0, 0, 0)], [i for i, p in enumerate(column) if p != (0, 0, 0)]
            if not all(lit):
                return False
            (left, right), (top, bottom) = (lit[0][0], lit[0][-1] + 1), (lit[1][0], lit[1][-1] + 1)
            picture = (right - left, bottom - top, left, top)
            seen[:] = [picture, (width, height)]
            whole = (right - left == width or bottom - top == height) and abs(3 * (right - left) - 4 * (bottom - top)) <= 4
            centred = abs(left - (width - right)) <= 1 and abs(top - (height - bottom)) <= 1
            content = sample(shot.xwd, picture)
            return whole and centred and max(abs(a - b) for a, b in zip(content, REFERENCE[name])) <= 24
        wait_for(shown, 30, lambda: f"not the whole {name} screen: picture (w, h, x, y) and window {seen}")

    def test_openbox_on_a_large_screen_changes_nothing(self):
        server = self.desktop((1280, 1024), "openbox")
        game = self.launch(server, SURFACE)
        self.assertEqual(self.assert_on_screen(server, game), SURFACE)
        self.assertEqual(server.placement(game.window)[0][:2], (150 + server.placement(game.window)[1][0],
                                                                50 + server.placement(game.window)[1][2]))
        game.wait_screen("menu")
        game.key("4")
        game.wait_screen("help")

    def test_openbox_on_small_screens_opens_the_largest_window_that_fits_and_shows_the_whole_surface(self):
        for size in ((1366, 768), (1024, 600)):
            with self.subTest(size=size):
                server = self.desktop(size, "openbox")
                game = self.launch(server)
                width, height = self.assert_on_screen(server, game)
                _, (left, right, top, bottom) = server.placement(game.window)
                # 4:3, and one step of 4 x 3 more would not fit
                self.assertEqual((width % 4, 3 * width), (0, 4 * height))
                self.assertTrue(width + 4 + left + right > size[0] or height + 3 + top + bottom > size[1])
                self.assert_shows(server, game, "menu")
                game.key("4")
                self.assert_shows(server, game, "help")

    def test_i3_tiles_the_window_alone_and_beside_another_and_the_surface_is_shown_whole_in_the_tile(self):
        for beside in (False, True):
            with self.subTest(beside=beside):
                server = self.desktop((1280, 1024), "i3")
                if beside:
                    server.start_client("xlogo")
                    wait_for(lambda: server.windows("^xlogo$"), 10, "no xlogo window")
                game = self.launch(server)
                width, height = self.assert_on_screen(server, game)
                self.assertEqual(width < 700, beside)
                self.assert_shows(server, game, "menu")
                game.key("4")
                self.assert_shows(server, game, "help")
                game.key("x")
                self.assert_shows(server, game, "menu")


if __name__ == "__main__":
    unittest.main()
