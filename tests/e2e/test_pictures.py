"""The real program's dialogs, read pixel for pixel: the start-up question and,
without the picture folder, one error box per picture, in the order they are
loaded, each waiting for the player; then the game goes on and draws
everything but the pictures."""

import time
import unittest

from harness import BANNER, BLACK, TITLE, DialogText, GameTestCase, dialog_message_ink, on_game_screen, shows_text

PICTURES = ["menu", "titulo_jogo", "level_score", "normal", "hard", *map(str, range(10)), "ring", "pause"]


class MissingPictures(GameTestCase):

    def test_each_missing_picture_is_reported_then_the_game_runs_without_pictures(self):
        game = self.launch(images=False, rate=0.5)
        text = DialogText(self.server)
        self.addCleanup(text.close)
        question = game.wait_dialog()
        self.assertEqual(dialog_message_ink(self.server.screenshot(question)),
                         text.ink('Pretende jogar "Tarvik-Snake" em Full Screen ?'))
        game.answer_dialog(question, "n")
        for name in PICTURES:
            box = game.wait_dialog("^Error$")
            self.assertEqual(len(self.server.windows("^Error$")), 1, "more than one error box at a time")
            message = dialog_message_ink(self.server.screenshot(box))
            self.assertEqual(message, text.ink(f"Failed to open DIB file img/{name}.dat."), f"the box for {name}")
            game.answer_dialog(box, "Return")

        game.wait_window()
        game.wait_text(402, 404, "1   - Play Snake (Normal)")
        self.assertEqual(self.server.windows("^Error$"), [])

        game.key("1")
        shot = game.wait_screen(on_game_screen, "no game screen")
        # The banner is bare where the title, the labels and the score would stand,
        # and the field's lower-left corner is empty where the decoration would be.
        self.assertEqual(shot.count_colour((20, 20, 1005, 80), BANNER, 2), 985 * 60)
        self.assertEqual(shot.count_colour((25, 686, 85, 746), BLACK, 0), 60 * 60)

        game.key("p")
        time.sleep(0.5)  # two frames at least: the sign would show from the first
        shot = game.screenshot()
        self.assertEqual(shot.count_colour((20, 20, 330, 80), BANNER, 2), 310 * 60, "something drawn for the pause")
        game.key("Escape")
        game.wait_text(432, 334, "Game Over", TITLE)
        self.assertTrue(shows_text(game.screenshot(), 402, 404, "Your Score is: 0"))


if __name__ == "__main__":
    unittest.main()
