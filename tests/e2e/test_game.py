"""Whole games in the real program. The fake clock fixes the seed up to the second or so the
question stays up; the generator's model tells which second from the food shown. The snake is
steered to the food by the real timer and keys, runs on into the wall, and the score goes from the
game-over screen into the table, the file and a new run of the program. The rules themselves
(pause, growth, placement) are the unit tests' concern."""

import os
import unittest

from harness import (BODY, FOOD_POINTS, TITLE, Board, GameTestCase, drive, filed, first_game_food,
                     high_score_errors, on_game_screen, picture, route, score_digits_errors, score_file,
                     seeds_placing, shows_text)

# A start time for which, whichever of the first four seconds seeds the
# generator, the first food lies left of the head along the snake's path and
# the whole game takes at most 30 steps; found with the generator's model.
START = "2026-01-01 17:54:11"
RATE = 0.09  # a Hard step every 611 ms of real time


class Games(GameTestCase):

    def play(self, game):
        """Finds the seed, steers to the food, checks the score shown, runs into the wall; returns
        the points."""
        ring = picture("ring")
        first = game.wait_screen(lambda s: on_game_screen(s) and Board(s, ring).food, "no game screen")
        food = Board(first, ring).food
        seeds = seeds_placing(food, START)
        self.assertEqual(len(seeds), 1, f"{food} is the first food of seeds {seeds}")
        _, (kind, cell) = first_game_food(seeds[0])
        self.assertEqual(score_digits_errors(first, 0), 0, "the score 0 is not shown")

        cells, eaten, turns = route(cell)
        shown = [score_digits_errors(shot, FOOD_POINTS[kind]) for position, shot in drive(game, cells, turns, ring)
                 if position >= eaten]
        self.assertIn(0, shown, "the score is not shown")
        game.wait_text(432, 334, "Game Over", TITLE)
        game.wait_text(402, 404, f"Your Score is: {FOOD_POINTS[kind]}")
        return FOOD_POINTS[kind]

    def type_name(self, game, start):
        """Types start, then a held "y" that repeats, then Backspace, keys that type nothing and "7";
        returns the name shown."""
        game.type(start)
        game.hold("y", 1.0)
        game.key("BackSpace", "slash", "Left", "7")

        def repeats(shot):
            return next((n for n in range(20) if shows_text(shot, 402, 454, f"> {start}{'y' * n}7", BODY,
                                                            game.background)), None)
        shot = game.wait_screen(lambda s: repeats(s) is not None, "the name is not shown")
        self.assertGreaterEqual(repeats(shot), 2, "a held key did not repeat")
        return f"{start}{'y' * repeats(shot)}7"

    def test_a_hard_game_is_filed_into_an_unsorted_file_and_shown_after_a_restart(self):
        normal = [("Nia", 70), ("Ole", 60)]
        hard = [("Ann", 50), ("Bob", 8), ("Cy", 30), ("Dee", 4)]
        game = self.launch(rate=RATE, start_time=START, scores=score_file(normal, hard, b"trailing"))
        game.start().key("2")
        points = self.play(game)
        name = self.type_name(game, "Bo")
        game.key("Return")
        expected = filed(hard, name, points)
        game.wait_screen(lambda s: not high_score_errors(s, "Hard", expected, game.background),
                         "the Hard list does not show the score")
        self.assertEqual(os.listdir(os.path.dirname(game.score_path)), ["HighScores.dat"])  # nothing left over
        stored = game.scores()
        self.assertEqual(stored, score_file(normal, expected))
        game.close()

        again = self.launch(scores=stored).start()
        again.key("3")
        again.wait_screen(lambda s: not high_score_errors(s, "Normal", normal, again.background),
                          "the Normal list is not the stored one")
        again.key("Right")
        again.wait_screen(lambda s: not high_score_errors(s, "Hard", expected, again.background),
                          "the score did not survive a restart")


if __name__ == "__main__":
    unittest.main()
