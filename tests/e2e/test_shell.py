"""The start-up question, the window, its fixed size and what it tells the desktop, and the menu
screens over their picture, in the real program."""

import os
import socket
import struct
import subprocess
import unittest

from harness import SOURCE_DIR, SURFACE, GameTestCase, wait_for


def packaged_icon(size):
    """The packaged icon's pixels at the size, as _NET_WM_ICON holds them: 0xAARRGGBB, rows from the top."""
    png = os.path.join(SOURCE_DIR, "packaging", "icons", f"{size}.png")
    rgba = subprocess.run(["convert", png, "-depth", "8", "RGBA:-"], stdout=subprocess.PIPE, check=True).stdout
    return [a << 24 | r << 16 | g << 8 | b for r, g, b, a in struct.iter_unpack("4B", rgba)]


class Shell(GameTestCase):

    def test_no_opens_the_window_at_its_place_and_size_which_it_keeps_and_the_menu_screens(self):
        game = self.launch()
        question = game.wait_dialog()
        self.assertEqual(self.server.properties(question, "WM_CLASS"), {"WM_CLASS": '"tarvik-snake", "Tarvik-Snake"'})
        game.answer_dialog(question, "n")
        window = game.wait_window()
        self.assertEqual(self.server.geometry(window), (150, 50, *SURFACE))

        # The menu entry is matched with the window through its class.
        shown = self.server.properties(window, "WM_CLASS", "_NET_WM_PID", "WM_CLIENT_MACHINE", "_NET_WM_ICON")
        with open(os.path.join(SOURCE_DIR, "packaging", "tarvik-snake.desktop")) as f:
            entry = dict(line.strip().split("=", 1) for line in f if "=" in line)
        self.assertEqual((shown["WM_CLASS"], shown["_NET_WM_PID"], shown["WM_CLIENT_MACHINE"]), (
            f'"tarvik-snake", "{entry["StartupWMClass"]}"', str(game.process.pid), f'"{socket.gethostname()}"'))
        icons = [n for size in (16, 32, 64) for n in (size, size, *packaged_icon(size))]  # each with its width and height
        self.assertEqual([int(number) for number in shown["_NET_WM_ICON"].split(", ")], icons)
        self.server.xdotool("windowsize", window, 600, 400)
        wait_for(lambda: self.server.geometry(window)[2:] == SURFACE, 10, "the window kept another size")
        for key, screen in ((None, "menu"), ("4", "help"), ("Left", "menu"), ("Escape", "about")):
            if key:
                game.key(key)
            game.wait_screen(screen)
        game.key("q")
        self.assertEqual(game.wait_exit(), 0)

    def test_escape_and_yes_without_video_modes_open_the_same_window(self):
        for answer in ("Escape", "y"):
            with self.subTest(answer=answer):
                game = self.launch()
                game.answer(answer)
                self.assertEqual(self.server.geometry(game.wait_window()), (150, 50, *SURFACE))
                game.close()


if __name__ == "__main__":
    unittest.main()
