"""Whole games in the real program. The fake clock fixes the seed up to the second or so the
question stays up; the generator's model tells which second from the food shown, and where
later food must appear. The snake is steered to the food, runs on into the wall, and the score
goes from the game-over screen into the table, the file and a new run of the program."""

import os
import time
import unittest

from harness import (BODY, FOOD_POINTS, PAUSE_AT, START_SNAKE, TITLE, Board, GameTestCase, drive, filed,
                     first_game_food, high_score_errors, on_game_screen, picture, route, score_digits_errors,
                     score_file, seeds_placing, shows_text)

# Start times for which, whichever of the first four seconds seeds the
# generator, the first food lies left of the head along the snake's path and
# the whole game takes at most 30 steps; found with the generator's model.
NORMAL_START = "2026-01-01 05:10:56"
HARD_START = "2026-01-01 17:54:11"
# Slowed clocks: a step every 625 ms (Normal) and 611 ms (Hard) of real time.
NORMAL_RATE, HARD_RATE = 0.2, 0.09
GROWTH = [1, 2, 8]


class Games(GameTestCase):

    def play(self, game, start):
        """Finds the seed, steers to the food, checks the next food, the score and the snake, runs
        into the wall; returns the points."""
        ring = picture("ring")
        first = game.wait_screen(lambda s: on_game_screen(s) and Board(s, ring).food, "no game screen")
        food = Board(first, ring).food
        seeds = seeds_placing(food, start)
        self.assertEqual(len(seeds), 1, f"{food} is the first food of seeds {seeds}")
        generator, (kind, cell) = first_game_food(seeds[0])
        self.assertEqual(score_digits_errors(first, 0), 0, "the score 0 is not shown")

        cells, eaten, turns = route(cell)
        # When the food is placed the snake has just stepped onto the old one: no growth yet.
        next_kind, next_cell = generator.place_food(cells[eaten - 3:eaten + 1])
        self.assertNotIn(next_cell, cells[eaten:], "the route was chosen so the next food is not in the way")

        checked_food = False
        for position, last in drive(game, cells, turns, ring):
            if position >= eaten and not checked_food:
                self.assertEqual(Board(last, ring).food, (next_kind, next_cell),
                                 "the next food is not where the generator puts it")
                self.assertEqual(score_digits_errors(last, FOOD_POINTS[kind]), 0, "the score is not shown")
                checked_food = True

        # The last step on the field: the snake has grown by the food's segments, one per step.
        length = len(START_SNAKE) + min(GROWTH[kind], position - eaten)
        self.assertEqual(Board(last, ring).snake, set(cells[position - length + 1:position + 1]))
        game.wait_text(432, 334, "Game Over", TITLE)
        game.wait_text(402, 404, f"Your Score is: {FOOD_POINTS[kind]}")
        game.wait_text(402, 434, "Insert Your Name:")
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

    def play_and_file(self, game, key, start, half, name):
        """Plays a game started with key, files it under a name starting with name and checks the
        list shown; returns the half of the table as it must be now."""
        mode = "Normal" if key == "1" else "Hard"
        game.key(key)
        points = self.play(game, start)
        name = self.type_name(game, name)
        game.key("Return")
        expected = filed(half, name, points)
        game.wait_screen(lambda s: not high_score_errors(s, mode, expected, game.background),
                         f"the {mode} list does not show the score")
        self.assertEqual(os.listdir(os.path.dirname(game.score_path)), ["HighScores.dat"])  # nothing left over
        return expected

    def test_normal_game_is_filed_into_a_short_file(self):
        # Two records and part of a third: the part is not read and the file is written whole.
        stored = [("Top", 1000), ("Low", 1)]
        game = self.launch(rate=NORMAL_RATE, start_time=NORMAL_START, scores=score_file(stored)[:2 * 28 + 10])
        expected = self.play_and_file(game.start(), "1", NORMAL_START, stored, "Ada 4")
        self.assertEqual(game.scores(), score_file(expected))

    def test_hard_game_is_filed_into_a_long_unsorted_file_and_shown_after_a_restart(self):
        normal = [("Nia", 70), ("Ole", 60)]
        hard = [("Ann", 50), ("Bob", 8), ("Cy", 30), ("Dee", 4)]
        game = self.launch(rate=HARD_RATE, start_time=HARD_START, scores=score_file(normal, hard, b"trailing"))
        expected = self.play_and_file(game.start(), "2", HARD_START, hard, "Bo")
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
        again.key("x")
        again.wait_text(402, 404, "1   - Play Snake (Normal)")
        again.key("Escape")
        again.wait_text(472, 334, "About", TITLE)
        again.key("Down")
        self.assertEqual(again.wait_exit(), 0)
        self.assertEqual(again.scores(), stored)

    def test_pause_stops_the_snake_blinks_ignores_arrows_and_escape_ends_the_game(self):
        game = self.launch(rate=0.5).start()  # a step every 250 ms; the sign changes every 8 frames, 2 s
        game.key("1")
        game.wait_screen(lambda s: (Board(s).head or (99, 0))[0] <= 21, "the snake did not move")
        game.key("p")
        pause = picture("pause")
        shown = game.wait_screen(lambda s: s.differences(pause, *PAUSE_AT) == 0, "no pause sign")
        head = Board(shown).head
        game.key("Up")
        hidden = game.wait_screen(lambda s: s.differences(pause, *PAUSE_AT) > 1000, "the pause sign did not blink")
        again = game.wait_screen(lambda s: s.differences(pause, *PAUSE_AT) == 0, "the pause sign did not come back")
        self.assertEqual([Board(s).head for s in (hidden, again)], [head, head], "the snake moved while paused")

        game.key("p")
        moved = Board(game.wait_screen(lambda s: Board(s).head not in (None, head), "the game did not resume")).head
        self.assertEqual(moved[1], head[1], "an arrow pressed during the pause was queued")

        game.key("P")  # upper case does not pause
        time.sleep(0.1)
        for _ in range(2):
            before = Board(game.screenshot()).head
            game.wait_screen(lambda s: Board(s).head not in (None, before), "P paused the game")

        game.key("p")
        time.sleep(0.1)
        paused = game.screenshot()
        time.sleep(1)
        self.assertEqual(Board(game.screenshot()).head, Board(paused).head, "the second pause did not hold")
        game.key("Escape")
        game.wait_text(432, 334, "Game Over", TITLE)
        game.wait_text(402, 404, "Your Score is: 0")

    def test_escape_at_once_files_nothing(self):
        game = self.launch().start()
        game.key("1", "Escape")
        game.wait_text(402, 404, "Your Score is: 0")
        game.type("Zed")
        game.wait_text(402, 454, "> Zed")
        game.key("Return")
        game.wait_screen(lambda s: not high_score_errors(s, "Normal", [], game.background), "no empty Normal list")
        game.key("Left")
        game.wait_screen(lambda s: not high_score_errors(s, "Hard", [], game.background), "no empty Hard list")
        self.assertEqual(os.listdir(os.path.dirname(game.score_path)), [])


if __name__ == "__main__":
    unittest.main()
