"""Full screen on a Wayland desktop: a headless sway with XWayland, keys typed on the compositor's virtual
keyboard (wtype) as a player's keyboard would send them, so that they reach only the window the
compositor focuses. sway refuses to run as root: it, the game and every client run as nobody."""

import json
import os
import pathlib
import shutil
import signal
import subprocess
import tempfile
import unittest

from harness import EXE, Game, as_user, wait_for

USER = "nobody"
OUTPUT = (1920, 1080)
BANNER = (128, 128, 204)  # the game screen's banner


def banner_shown(colour):  # scaling may move a channel of a flat area by one
    return max(abs(a - b) for a, b in zip(colour, BANNER)) <= 1


class Sway:
    """A headless sway on a 1920x1080 output, its XWayland started at once, with a virtual keyboard
    plugged in for the whole run: one that came and went with each key could be gone before XWayland
    had bound it."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="tarvik-sway-")
        os.chmod(self.folder, 0o755)
        self.exe = shutil.copy(EXE, self.folder)  # where nobody may run it, wherever the build is
        runtime = os.path.join(self.folder, "runtime")
        os.mkdir(runtime, 0o700)
        shutil.chown(runtime, USER)
        config = os.path.join(self.folder, "config")
        with open(config, "w") as f:
            f.write(f"xwayland force\noutput HEADLESS-1 resolution {OUTPUT[0]}x{OUTPUT[1]}\n"
                    f"exec echo $DISPLAY >{runtime}/display\n")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime, HOME=self.folder, WLR_BACKENDS="headless",
                        WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman")
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK"):
            self.env.pop(name, None)
        self.processes = [self.start("sway", "-c", config)]
        display = pathlib.Path(runtime, "display")
        self.env["DISPLAY"] = wait_for(lambda: display.exists() and display.read_text().strip(), 20, "no XWayland")
        for name, prefix in (("WAYLAND_DISPLAY", "wayland-"), ("SWAYSOCK", "sway-ipc")):
            self.env[name] = os.path.join(runtime, next(found for found in os.listdir(runtime)
                                                        if found.startswith(prefix) and not found.endswith(".lock")))
        self.processes.append(self.start("wtype", "-s", "3600000"))

    def start(self, *command):
        return subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                preexec_fn=as_user(USER))

    def output(self, *command):
        return subprocess.run(command, env=self.env, stdout=subprocess.PIPE, check=True, timeout=20,
                              preexec_fn=as_user(USER)).stdout

    def key(self, *keys):
        """Types the keys in order: a character as itself, any other by its key name."""
        self.output("wtype", *[arg for key in keys for arg in ([key] if len(key) == 1 else ["-k", key])])

    def views(self):
        """The windows sway manages, by title: (full screen, focused, x, y, width, height) of their content."""
        found, nodes = {}, [json.loads(self.output("swaymsg", "-t", "get_tree"))]
        while nodes:
            node = nodes.pop()
            nodes += node["nodes"] + node["floating_nodes"]
            if node.get("shell"):
                rect, inner = node["rect"], node["window_rect"]
                found[node["name"]] = (node["fullscreen_mode"] == 1, node["focused"], rect["x"] + inner["x"],
                                       rect["y"] + inner["y"], inner["width"], inner["height"])
        return found

    def wait_focused(self, title):
        """Waits until the window with the title has the keyboard; returns its state."""
        return wait_for(lambda: (view := self.views().get(title)) and view[1] and view, 20, title + " never focused")

    def wait_gone(self, title):
        wait_for(lambda: title not in self.views(), 20, title + " stayed")

    def pixels(self, *points):
        """The colours the output shows at the points."""
        shot = self.output("grim", "-t", "ppm", "-").split(b"\n", 3)[3]  # after a header of three lines
        return [tuple(shot[3 * (y * OUTPUT[0] + x):3 * (y * OUTPUT[0] + x) + 3]) for x, y in points]

    def stop(self):
        for process in reversed(self.processes):
            process.kill()
            process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class Wayland(unittest.TestCase):

    def setUp(self):
        self.sway = Sway()
        self.addCleanup(self.sway.stop)

    def launch(self, **options):
        game = Game(self.sway, exe=self.sway.exe, user=USER, **options)
        self.addCleanup(game.close)
        self.sway.wait_focused("Tarvik-Snake")  # the question
        self.sway.key("y")
        return game

    def assert_full_screen(self):
        view = wait_for(lambda: self.sway.views().get("Tarvik-Snake", ())[:2] == (True, True) and self.sway.views(),
                        20, lambda: f"not in full screen with the keyboard: {self.sway.views()}")
        self.assertEqual(view["Tarvik-Snake"][2:], (0, 0, *OUTPUT))

    def wait_box(self):
        """Waits until the Error box has the keyboard in the output's centre; returns its content's corner."""
        def centred():
            *_, focused, x, y, width, height = self.sway.views().get("Error", (0,) * 6)
            return focused and abs(x + width / 2 - OUTPUT[0] / 2) + abs(y + height / 2 - OUTPUT[1] / 2) <= 2 and (x, y)
        return wait_for(centred, 20, lambda: f"no focused Error box in the output's centre: {self.sway.views()}")

    def test_yes_keeps_the_keyboard_through_an_error_box_and_another_window_to_the_end(self):
        # From this start the first food lies on the snake's row, three cells ahead: a game scores untouched.
        game = self.launch(missing=["ring"], scores=b"", start="2026-01-01 17:58:15")
        self.wait_box()
        self.sway.key("Return")
        self.sway.wait_gone("Error")
        self.assert_full_screen()
        self.sway.key("1")
        # The surface fills the output's height, centred: its banner's far end, and black at the sides.
        banner, food = (240 + 1406, 35), (873, 598)
        wait_for(lambda: banner_shown(self.sway.pixels(banner)[0]), 20, "no game started")
        food_colour, *sides = self.sway.pixels(food, (0, 540), (239, 540), (1680, 540), (1919, 540))
        self.assertEqual(sides, [(0, 0, 0)] * 4)
        wait_for(lambda: self.sway.pixels(food)[0] != food_colour, 20, "the food never eaten")
        other = self.sway.start("xmessage", "-title", "Other", "another application")
        wait_for(lambda: "Other" in self.sway.views(), 20, "no other window")
        other.kill()
        other.wait()
        self.sway.wait_gone("Other")
        self.assert_full_screen()
        # Each burst names a key once: the toolkit takes a key that is down again when it reads its release
        # for a held one, and drops the next press.
        self.sway.key("Escape")
        wait_for(lambda: not banner_shown(self.sway.pixels(banner)[0]), 20, "no game over")
        # Filing the score fails, the file being read-only to the player: the surface leaves full screen for the
        # box, shown over it, and is back in full screen with the keyboard once the box is answered.
        os.chown(game.score_path, 0, 0)
        os.chmod(game.score_path, 0o444)
        self.sway.key("a", "Return")
        x, y = self.wait_box()
        wait_for(lambda: self.sway.pixels((x + 5, y + 5))[0] == (236, 236, 236), 20, "the box not shown")
        self.sway.key("Return")
        self.sway.wait_gone("Error")
        self.assert_full_screen()
        edges = (239, 540), (240, 540), (1679, 540), (1680, 540)
        wait_for(lambda: [colour != (0, 0, 0) for colour in self.sway.pixels(*edges)] == [False, True, True, False],
                 20, "the surface not drawn to the output's height")
        self.sway.key("m", "Escape", "q")  # from the high scores to the menu, about, quit
        self.assertEqual(game.wait_exit(), 0)

    def test_a_stop_signal_in_full_screen_ends_the_game_by_it(self):
        game = self.launch()
        self.assert_full_screen()
        game.process.send_signal(signal.SIGTERM)
        self.assertEqual(game.wait_exit(), -signal.SIGTERM)


if __name__ == "__main__":
    unittest.main()
