"""The start-up question, the window and its fixed size, and the menu screens over their picture,
in the real program."""

import unittest

from harness import SURFACE, GameTestCase, wait_for


class Shell(GameTestCase):

    def test_no_opens_the_window_at_its_place_and_size_which_it_keeps_and_the_menu_screens(self):
        game = self.launch()
        game.answer("n")
        window = game.wait_window()
        self.assertEqual(self.server.geometry(window), (150, 50, *SURFACE))
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
