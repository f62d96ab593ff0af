"""The start-up question, the window and its fixed size, in the real program."""

import unittest

from harness import GameTestCase, SURFACE, wait_for


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


if __name__ == "__main__":
    unittest.main()
