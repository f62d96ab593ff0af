"""Without the picture folder: the start-up question, then one error box per picture, in the order
they are loaded, each centred and waiting for the player; then the game goes on without pictures."""

import unittest

from harness import GameTestCase, on_game_screen

PICTURES = ["menu", "titulo_jogo", "level_score", "normal", "hard", *map(str, range(10)), "ring", "pause"]


class MissingPictures(GameTestCase):

    def test_each_missing_picture_is_reported_then_the_game_runs_without_pictures(self):
        game = self.launch(images=False)
        for name in ["question", *PICTURES]:
            title = "^Tarvik-Snake$" if name == "question" else "^Error$"
            box = game.wait_dialog(title)
            self.assertEqual(len(self.server.windows(title)), 1, "more than one box at a time")
            x, y, width, height = self.server.geometry(box)
            self.assertLessEqual(abs(x + width // 2 - 640) + abs(y + height // 2 - 512), 2, "not centred")
            game.wait_screen("box-" + name, box)
            game.answer_dialog(box, "n" if name == "question" else "Return")
        game.wait_window()
        game.wait_screen("menu-black")
        game.key("1")
        game.wait(on_game_screen, "no game screen")
        game.key("Escape")
        game.wait_screen("game-over-0-black")


if __name__ == "__main__":
    unittest.main()
