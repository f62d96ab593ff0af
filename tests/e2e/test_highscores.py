"""A Normal game played to a score in the real program, the name typed after it,
the score on the high-score screen and in scores/HighScores.dat, both lists,
and the score still there after a restart."""

import struct
import time
import unittest

from harness import ARROWS, CELL, COLUMNS, ORIGIN_X, ORIGIN_Y, ROWS, GameTestCase, near, wait_for

RATE = 0.2  # the clock runs at a fifth of its speed: a Normal step every 625 ms
HEAD_MARK = (255, 255, 255)
FOOD_POINTS = {(0, 204, 0): 5, (255, 255, 0): 10, (255, 0, 0): 40}
BODY_LEFT, GLYPH_WIDTH = 402, 9  # the 9 by 15 font is fixed-width
NAME = "Zed 42"
RECORD = 28


def cells_with(shot, colours):
    """The cells whose centre pixel has one of the colours, as ((column, row), colour)."""
    found = []
    for column in range(COLUMNS):
        for row in range(ROWS):
            pixel = shot.pixel(ORIGIN_X + CELL * column, ORIGIN_Y + CELL * row)
            found += [((column, row), colour) for colour in colours if near(pixel, colour)]
    return found


def text_span(shot, baseline, left=380, right=1000):
    """The first and last column of white pixels on the line with this baseline, or None."""
    columns = [x for x in range(left, right) for y in range(baseline - 12, baseline + 3) if min(shot.pixel(x, y)) >= 200]
    return (min(columns), max(columns)) if columns else None


def shows_line(shot, baseline, text, left=BODY_LEFT):
    """Whether a line of exactly this many characters of the body font starts at left."""
    span = text_span(shot, baseline)
    return (span is not None and left <= span[0] <= left + 2
            and left + GLYPH_WIDTH * (len(text) - 1) <= span[1] < left + GLYPH_WIDTH * len(text))


def glyphs(shot, baseline, count):
    """The white pixels of each of the first count character cells of a body line."""
    return [tuple(min(shot.pixel(x, y)) >= 200 for y in range(baseline - 12, baseline + 4)
                  for x in range(BODY_LEFT + GLYPH_WIDTH * i, BODY_LEFT + GLYPH_WIDTH * (i + 1)))
            for i in range(count)]


ROWS_BOX = (380, 425, 900, 630)       # the ten rows of a list
SELECTOR_BOX = (400, 385, 560, 410)   # "<-  Normal  ->" or "<-   Hard   ->"
SELECTOR_LEFT = 412
FIRST_ROW, LAST_LINE = 444, 664


class HighScores(GameTestCase):

    def open(self, **options):
        """Starts the game without its pictures, acknowledging their errors, and waits for the main menu."""
        return self.launch(images=False, rate=RATE, **options).start()

    def play_to_first_food(self, game):
        """Steers the snake to the first food from what the screen shows; returns the food's points."""
        shot = wait_for(lambda: (lambda s: s if cells_with(s, FOOD_POINTS) and cells_with(s, [HEAD_MARK]) else None)(
            game.screenshot()), 15, "no game screen")
        (food, colour), = cells_with(shot, FOOD_POINTS)
        (head, _), = cells_with(shot, [HEAD_MARK])
        heading, turned_at = (-1, 0), None
        deadline = time.monotonic() + 120
        while head != food:
            self.assertLess(time.monotonic(), deadline, "the snake did not reach the food")
            dx, dy = food[0] - head[0], food[1] - head[1]
            want = (dx // abs(dx), 0) if dx else (0, dy // abs(dy))
            if want == (-heading[0], -heading[1]):
                # No turning back on itself: a side step first, towards the middle.
                want = (0, 1 if head[1] < ROWS // 2 else -1) if want[1] == 0 else (1 if head[0] < COLUMNS // 2 else -1, 0)
            if want != heading and turned_at != head:
                game.key(ARROWS[want])
                turned_at = head
            marks = cells_with(game.screenshot(), [HEAD_MARK])
            self.assertTrue(marks, "the snake died on its way")
            moved = marks[0][0]
            if moved != head:
                heading = (max(-1, min(1, moved[0] - head[0])), max(-1, min(1, moved[1] - head[1])))
                head = moved
        return FOOD_POINTS[colour]

    def test_a_score_is_filed_under_the_typed_name_shown_kept_and_listed_by_mode(self):
        game = self.open()
        game.key("1")
        points = self.play_to_first_food(game)

        # Left alone, the snake runs into the frame.
        wait_for(lambda: shows_line(game.screenshot(), 434, "Insert Your Name:"), 60, "no game-over screen")
        shot = game.screenshot()
        self.assertTrue(shows_line(shot, 404, f"Your Score is: {points}"))
        self.assertTrue(shows_line(shot, 454, ">"))

        game.type(NAME + "x")
        game.key("BackSpace", "slash", "Left")  # punctuation and arrows type nothing
        name_line = "> " + NAME
        game_over = wait_for(lambda: (lambda s: s if shows_line(s, 454, name_line) else None)(game.screenshot()), 15,
                             "the name did not show")
        game.key("Return")

        row = f"1  -> {points} , {NAME}"

        def list_shown(s, selector="<-  Normal  ->"):
            return (shows_line(s, 404, selector, SELECTOR_LEFT) and shows_line(s, LAST_LINE, "Any key - Main Menu")
                    and shows_line(s, FIRST_ROW, row))

        normal = wait_for(lambda: (lambda s: s if list_shown(s) else None)(game.screenshot()), 15,
                          "the score is not on the high-score screen")
        # The row's characters are those the game-over screen showed: the name, the score and the arrow.
        shown = glyphs(normal, FIRST_ROW, len(row))
        score_line = f"Your Score is: {points}"
        self.assertEqual(shown[-len(NAME):], glyphs(game_over, 454, len(name_line))[2:])
        self.assertEqual(shown[6:6 + len(str(points))], glyphs(game_over, 404, len(score_line))[15:])
        self.assertEqual(shown[4], glyphs(game_over, 454, 1)[0])
        for empty_row in range(FIRST_ROW + 20, FIRST_ROW + 200, 20):
            self.assertIsNone(text_span(normal, empty_row), empty_row)
        self.assertTrue(shows_line(normal, LAST_LINE, "Any key - Main Menu"))

        stored = game.scores()
        expected = NAME.encode().ljust(24, b"\0") + struct.pack("<I", points) + bytes(560 - RECORD)
        self.assertEqual(stored, expected)

        # The Hard list is empty; both arrows toggle back to the same Normal list.
        game.key("Right")
        hard = wait_for(lambda: (lambda s: s if text_span(s, FIRST_ROW) is None else None)(game.screenshot()), 15,
                        "Right did not show the Hard list")
        self.assertNotEqual(hard.crop(SELECTOR_BOX), normal.crop(SELECTOR_BOX))
        self.assertTrue(shows_line(hard, 404, "<-   Hard   ->", SELECTOR_LEFT))
        game.key("Left")
        back = wait_for(lambda: (lambda s: s if list_shown(s) else None)(game.screenshot()), 15,
                        "Left did not bring the Normal list back")
        self.assertEqual(back.crop(ROWS_BOX), normal.crop(ROWS_BOX))
        self.assertEqual(back.crop(SELECTOR_BOX), normal.crop(SELECTOR_BOX))

        game.key("x")
        wait_for(lambda: shows_line(game.screenshot(), 404, "1   - Play Snake (Normal)"), 15, "no main menu after a key")
        game.close()

        # A new run reads the file: the same list, drawn the same.
        again = self.open(scores=stored)
        again.key("3")
        shot = wait_for(lambda: (lambda s: s if list_shown(s) else None)(again.screenshot()), 15,
                        "the score did not survive a restart")
        self.assertEqual(shot.crop(ROWS_BOX), normal.crop(ROWS_BOX))
        self.assertEqual(again.scores(), stored)


if __name__ == "__main__":
    unittest.main()
