"""Full screen on an X server with video modes: the surface and its class, the pointer, the error
boxes over it, and the desktop's video mode given back however the game ends."""

import fcntl
import os
import signal
import unittest

from harness import SURFACE, GameTestCase, XorgServer, on_game_screen, play, score_file, wait_for


class FullScreen(GameTestCase):

    @classmethod
    def setUpClass(cls):
        cls.server = XorgServer()
        # A game started from a terminal gets these signals' default actions, even when the
        # tests themselves were started with them ignored.
        signal.signal(signal.SIGINT, signal.default_int_handler)
        signal.signal(signal.SIGHUP, signal.SIG_DFL)

    def setUp(self):
        self.desktop = self.server.video_mode()
        self.assertEqual(self.desktop[:2], (1280, 1024))

    def assert_full_screen(self, game):
        self.assertEqual(self.server.video_mode()[:2], SURFACE)
        self.assertEqual(self.server.geometry(game.window), (0, 0, *SURFACE))
        self.assertTrue(self.server.pointer_hidden())

    def test_yes_fills_the_screen_without_pointer_a_score_not_saved_is_told_over_it_and_about_gives_the_mode_back(self):
        scores = score_file(hard=[("Ann", 50), ("Bob", 8), ("Cy", 30), ("Dee", 4)])
        game = self.launch(scores=scores).start("y")
        os.chmod(game.score_path, 0o444)  # a file without any write bit is left alone, even by root
        self.assert_full_screen(game)
        self.assertEqual(self.server.properties(game.window, "WM_CLASS", "_NET_WM_PID"),
                         {"WM_CLASS": '"tarvik-snake", "Tarvik-Snake"', "_NET_WM_PID": str(game.process.pid)})
        # Num Lock leaves the help screen as it is, so Escape goes back to the menu, not on to the about screen.
        game.key("4", "Num_Lock", "Escape")
        game.wait_screen("menu")
        game.key("2")
        play(game, "Bo")
        box = game.wait_dialog("^Error$")
        wait_for(lambda: self.server.xdotool("getwindowfocus") == [box], 5, "the box has no keyboard focus")
        game.wait_screen("box-score-not-saved", box)
        folder = os.open(os.path.dirname(game.score_path), os.O_RDONLY)  # other games may save while the box is up
        fcntl.flock(folder, fcntl.LOCK_EX | fcntl.LOCK_NB), os.close(folder)
        self.server.xdotool("key", "o")
        game.wait_screen("hard-filed")  # only once the box is answered; the table as this game holds it
        self.assertEqual(game.scores(), scores)
        game.key("x", "Escape", "x")  # menu, about, quit
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(self.server.video_mode(), self.desktop)

    def test_a_stop_signal_while_playing_ends_the_game_by_it_with_the_mode_given_back(self):
        for stop in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal=stop.name):
                game = self.launch(start=None)
                try:
                    game.start("y").key("1")
                    game.wait(on_game_screen, "no game started")
                    game.process.send_signal(stop)
                    self.assertEqual(game.wait_exit(timeout=5), -stop)
                    self.assertEqual(self.server.video_mode(), self.desktop)
                finally:
                    game.close()  # the next game's boxes need the input this one may hold

    def test_a_hang_up_ignored_at_start_stays_ignored_and_the_game_plays_on(self):
        signal.signal(signal.SIGHUP, signal.SIG_IGN)  # as nohup starts it: the game inherits the disposition
        try:
            game = self.launch(start=None)
        finally:
            signal.signal(signal.SIGHUP, signal.SIG_DFL)
        game.start("y").key("1")
        game.wait(on_game_screen, "no game started")
        game.process.send_signal(signal.SIGHUP)
        game.key("Escape", "Return", "x", "Escape", "x")  # game over, high scores, menu, about, quit
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(self.server.video_mode(), self.desktop)

    def test_every_error_box_is_answered_over_the_surface_which_then_takes_the_input_back(self):
        game = self.launch(images=False, start=None)
        game.answer("y")
        for box in range(17):
            dialog = game.wait_dialog("^Error$")
            x, y, width, height = self.server.geometry(dialog)
            self.assertEqual((x + width // 2, y + height // 2), (SURFACE[0] // 2, SURFACE[1] // 2))
            wait_for(lambda: self.server.xdotool("getwindowfocus") == [dialog], 5, "the box has no keyboard focus")
            if box == 0:  # a click on the middle of OK's face
                shot = self.server.screenshot(dialog)
                face = [(px, py) for py in range(height) for px in range(width) if shot.pixel(px, py) == (250,) * 3]
                self.server.xdotool("mousemove", x + sum(p[0] for p in face) // len(face),
                                    y + sum(p[1] for p in face) // len(face), "click", 1)
            else:
                self.server.xdotool("key", "Return")
            wait_for(lambda: not self.server.geometry(dialog), 5, "the box stayed")
        self.assertEqual(self.server.windows("^Error$"), [])
        game.wait_window()
        game.wait_screen("menu-black")
        self.assert_full_screen(game)
        game.key("Escape", "x")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(self.server.video_mode(), self.desktop)


if __name__ == "__main__":
    unittest.main()
