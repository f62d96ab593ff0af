"""The main menu, help and about screens of the real program: where their texts
stand, over the menu picture or on black, and where their keys lead."""

import unittest

from harness import SURFACE, GameTestCase, picture, wait_for

BODY_ADVANCE = 9  # the 9 by 15 font is fixed-width

FOOTER = (804, 748, "Tarvik-Snake 1.0", "footer")
MAIN_MENU = [
    FOOTER,
    (432, 334, "Main Menu", "title"),
    (402, 404, "1   - Play Snake (Normal)", "body"),
    (402, 424, "2   - Play Snake (Hard)", "body"),
    (402, 444, "3   - HighScores", "body"),
    (402, 464, "4   - Help", "body"),
    (402, 584, "Esc - Quit Game", "body"),
]
HELP = [
    FOOTER,
    (472, 334, "Help", "title"),
    (402, 404, "Action:           Key:", "body"),
    (402, 434, "Up           -    up cursor", "body"),
    (402, 534, "Exit Game    -    Esc", "body"),
    (402, 584, "Any key - Main Menu", "body"),
]
ABOUT = [
    FOOTER,
    (472, 334, "About", "title"),
    (402, 404, "Developed By:", "body"),
    (402, 424, "  The Tarvik-Snake team", "body"),
    (402, 474, "  Friends and Family", "body"),
    (432, 584, "Press Any Key", "body"),
]
# Where the texts of these screens lie, footer included.
TEXT_AREA = (395, 310, 910, 750)
# Rows from the top of a capital letter to its baseline, by font.
CAPITAL_HEIGHTS = {"footer": range(8, 11), "body": range(9, 12), "title": range(15, 19)}


def is_text(pixel):
    return min(pixel) >= 200


def misplaced(shot, lines):
    """The lines whose first capital does not start at x, sit on baseline y and have its font's height."""
    wrong = []
    for x, y, text, font in lines:
        x += BODY_ADVANCE * (len(text) - len(text.lstrip(" ")))
        heights = CAPITAL_HEIGHTS[font]
        # One character's columns, and rows from a capital's top to under the
        # baseline: nothing of the neighbouring lines reaches in.
        found = [(px, py) for py in range(y - heights[-1] - 1, y + 3) for px in range(x - 8, x + 8)
                 if is_text(shot.pixel(px, py))]
        left = min((p[0] for p in found), default=None)
        top, bottom = min((p[1] for p in found), default=None), max((p[1] for p in found), default=None)
        if not found or not (x <= left <= x + 1 and bottom == y - 1 and bottom - top + 1 in heights):
            wrong.append((text, left, top, bottom))
    return wrong


class Menus(GameTestCase):

    def open(self, images):
        """Starts the game, acknowledges every picture error and waits for the main menu."""
        game = self.launch(images=images).start()
        self.assertEqual(misplaced(game.screenshot(), MAIN_MENU), [])
        return game

    def show(self, game, key, lines, message):
        game.key(key)
        wait_for(lambda: not misplaced(game.screenshot(), lines), 15, message)

    def test_every_screen_on_black_without_the_picture_and_the_way_out(self):
        game = self.open(images=False)
        shot = game.screenshot()
        # On the cleared surface everything but the text is black.
        self.assertEqual(shot.pixel(10, 10), (0, 0, 0))
        self.assertEqual(shot.pixel(600, 600), (0, 0, 0))

        self.show(game, "4", HELP, "4 did not show the help")
        self.show(game, "Left", MAIN_MENU, "an arrow key on the help did not return to the menu")
        self.show(game, "Escape", ABOUT, "Escape did not show the about screen")
        game.key("Up")
        self.assertEqual(game.wait_exit(), 0)

    def test_texts_stand_over_the_picture_and_an_ordinary_key_quits(self):
        game = self.open(images=True)
        background = picture("menu")
        self.assertEqual((background.width, background.height), SURFACE)  # so it covers the surface exactly
        for lines, key in ((MAIN_MENU, None), (ABOUT, "Escape")):
            if key:
                self.show(game, key, lines, key + " did not show the next screen")
            shot = game.screenshot()
            # Away from the texts, the screen is the picture, pixel for pixel and the right way up.
            differ = [(x, y) for y in range(5, SURFACE[1], 23) for x in range(3, SURFACE[0], 29)
                      if not (TEXT_AREA[0] <= x < TEXT_AREA[2] and TEXT_AREA[1] <= y < TEXT_AREA[3])
                      and shot.pixel(x, y) != background.pixel(x, y)]
            self.assertEqual(differ, [])
        game.key("q")
        self.assertEqual(game.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
