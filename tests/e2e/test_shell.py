"""The start-up question, the window and its fixed size, in the real program."""

import os
import subprocess
import unittest

from harness import EXE, GameTestCase, SURFACE, wait_for


class StartUp(GameTestCase):

    def test_no_opens_the_titled_window_at_its_place_and_size_which_it_keeps(self):
        game = self.launch()
        dialog = game.wait_dialog()
        x, y, w, h = self.server.geometry(dialog)
        # The question is centred on the 1280 x 1024 screen.
        self.assertLessEqual(abs((x + w // 2) - 640), 2)
        self.assertLessEqual(abs((y + h // 2) - 512), 2)
        game.answer("n")
        window = game.wait_window()
        self.assertEqual(self.server.geometry(window), (150, 50, *SURFACE))
        self.server.xdotool("windowsize", window, 600, 400)
        wait_for(lambda: self.server.geometry(window)[2:] == SURFACE, 10, "the window kept another size")

    def test_escape_and_yes_without_the_full_screen_mode_open_the_same_window(self):
        for answer in ("Escape", "y"):
            with self.subTest(answer=answer):
                game = self.launch()
                game.answer(answer)
                self.assertEqual(self.server.geometry(game.wait_window()), (150, 50, *SURFACE))
                game.close()

    def test_no_display_is_one_clear_line_and_a_failure(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        result = subprocess.run([EXE], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=10)
        self.assertNotEqual(result.returncode, 0)
        self.assertEqual(result.stderr.decode().strip().count("\n"), 0)
        self.assertIn("display", result.stderr.decode())


if __name__ == "__main__":
    unittest.main()
