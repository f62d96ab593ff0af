"""A whole Hard game in the real program, steered by the real timer and keys to the food the fake
clock fixes: the score goes from the game-over screen into an unsorted table, its file and the
table shown after a restart. The rules themselves are the unit tests' concern."""

import os
import unittest

from harness import GameTestCase, play, score_file

NORMAL, HARD = [("Nia", 70), ("Ole", 60)], [("Ann", 50), ("Bob", 8), ("Cy", 30), ("Dee", 4)]
FILED = [("Ann", 50), ("Bo", 10), ("Bob", 8), ("Cy", 30), ("Dee", 4)]  # before the first lower score


class Games(GameTestCase):

    def test_a_hard_game_is_filed_into_an_unsorted_file_and_shown_after_a_restart(self):
        game = self.launch(scores=score_file(NORMAL, HARD, b"trailing")).start()
        game.key("2")
        play(game, "Bo")
        game.wait_screen("hard-filed")
        self.assertEqual(os.listdir(os.path.dirname(game.score_path)), ["HighScores.dat"])  # nothing left over
        self.assertEqual(game.scores(), score_file(NORMAL, FILED))
        game.close()

        again = self.launch(scores=score_file(NORMAL, FILED)).start()
        again.key("3", "Right")
        again.wait_screen("hard-filed")


if __name__ == "__main__":
    unittest.main()
