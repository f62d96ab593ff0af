"""High-score files prepared by hand, as the real program shows them: entries
as stored (unsorted, an empty name keeping its row, a name without its zero
byte, bytes after a name's zero byte), files too long or too short, and the
list last chosen still chosen when the screen is opened again."""

import unittest

from harness import GameTestCase, high_score_errors, score_file

NORMAL = [("Ann", 900), ("", 800), ("Bob", 100), ("Cyd", 300), ("ABCDEFGHIJKLMNOPQRSTUVWX", 250),
          ("Eve\0left over", 200), ("a-b_c.d", 150), ("   ", 120), ("Ivo", 7), ("Jo", 7)]
HARD = [("Max", 4000000000), ("Ned", 1)]


class ScoreFiles(GameTestCase):

    def show(self, game, mode, entries):
        game.wait_screen(lambda s: not high_score_errors(s, mode, entries, game.background),
                         f"the {mode} list is not {entries}")

    def test_a_long_file_is_shown_as_stored_left_alone_and_the_list_chosen_stays_chosen(self):
        data = score_file(NORMAL, HARD, b"\xff" * 40)
        game = self.launch(scores=data).start()
        game.key("3")
        self.show(game, "Normal", NORMAL)
        game.key("Right")
        self.show(game, "Hard", HARD)
        game.key("Escape")
        game.wait_text(402, 404, "1   - Play Snake (Normal)")
        game.key("3")
        self.show(game, "Hard", HARD)
        game.key("Left")
        self.show(game, "Normal", NORMAL)
        self.assertEqual(game.scores(), data)

    def test_short_files_fill_only_the_whole_records_they_hold(self):
        for size, normal in ((2 * 28 + 27, NORMAL[:2]), (280 + 27, NORMAL)):
            with self.subTest(size=size):
                game = self.launch(scores=score_file(NORMAL, HARD)[:size]).start()
                game.key("3")
                self.show(game, "Normal", normal)
                game.key("Left")
                self.show(game, "Hard", [])
                game.close()


if __name__ == "__main__":
    unittest.main()
