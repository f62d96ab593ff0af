"""The main menu, help and about screens of the real program: their texts in the toolkit's
fonts, pixel for pixel over the menu picture or on black, and where their keys lead."""

import unittest

from harness import BODY, SURFACE, TITLE, BitmapFont, GameTestCase, behind, shows_text

FOOTER = (804, 748, "Tarvik-Snake 1.0", BitmapFont("fgFontHelvetica12"))
# A line of each font; the unit tests compare every line.
MAIN_MENU = [FOOTER, (432, 334, "Main Menu", TITLE), (402, 404, "1   - Play Snake (Normal)", BODY)]
HELP = [FOOTER, (472, 334, "Help", TITLE), (402, 584, "Any key - Main Menu", BODY)]
ABOUT = [FOOTER, (472, 334, "About", TITLE), (432, 584, "Press Any Key", BODY)]
TEXT_AREA = (395, 310, 910, 750)  # where the texts of these screens lie, footer included


class Menus(GameTestCase):

    def test_every_screen_over_the_picture_and_on_black_and_the_ways_out(self):
        for images, quit_key in ((False, "Up"), (True, "q")):
            with self.subTest(images=images):
                game = self.launch(images=images).start()
                background = game.background
                self.assertEqual((background.width, background.height) if images else SURFACE, SURFACE)
                under = behind(background)
                for key, lines in ((None, MAIN_MENU), ("4", HELP), ("Left", MAIN_MENU), ("Escape", ABOUT)):
                    if key:
                        game.key(key)
                    shot = game.wait_screen(lambda s: all(shows_text(s, *line, background) for line in lines),
                                            f"{lines[1][2]} not shown after {key}")
                    # Away from the texts, the screen is the background, pixel for pixel and the right way up.
                    self.assertEqual([(x, y) for y in range(5, SURFACE[1], 23) for x in range(3, SURFACE[0], 29)
                                      if not (TEXT_AREA[0] <= x < TEXT_AREA[2] and TEXT_AREA[1] <= y < TEXT_AREA[3])
                                      and shot.pixel(x, y) != under(x, y)], [])
                game.key(quit_key)
                self.assertEqual(game.wait_exit(), 0)
                game.close()


if __name__ == "__main__":
    unittest.main()
