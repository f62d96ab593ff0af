"""Full screen on an X server with video modes: on one monitor the surface and its class, the pointer,
the error boxes over it, and the desktop's video mode given back however the game ends; on two, one
monitor covered the desktop's way, with or without a window manager, and no mode switched."""

import fcntl
import os
import resource
import signal
import unittest

from harness import SURFACE, Game, GameTestCase, XorgServer, on_game_screen, play, run, score_file, wait_for

resource.setrlimit(resource.RLIMIT_CORE, (0, 0))  # the crashes planted here leave no core files behind


def children(pid):
    with open(f"/proc/{pid}/task/{pid}/children") as f:
        return [int(child) for child in f.read().split()]


def ended(pid):  # gone, or a zombie waiting for whoever reaps orphans
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rpartition(")")[2].split()[0] == "Z"
    except FileNotFoundError:
        return True


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

    def test_the_mode_comes_back_however_the_game_ends_unless_the_player_chose_another(self):
        for how in ("SIGKILL", "SIGSEGV", "SIGABRT", "lost connection", "SIGKILL, 800x600 chosen"):
            with self.subTest(how=how):
                game = self.launch(start=None)
                try:
                    game.start("y")
                    self.assertEqual(self.server.video_mode()[:2], SURFACE)
                    guard, = children(game.process.pid)  # the one process that keeps the desktop's mode
                    if how == "lost connection":
                        run(["xkill", "-id", game.window], env=self.server.env)
                    else:
                        if "800x600" in how:
                            self.server.choose_mode("800x600")
                        game.process.send_signal(getattr(signal, how.partition(",")[0]))
                    game.wait_exit()
                    wait_for(lambda: ended(guard), 30, "the guard outlived the game")
                    self.assertEqual(self.server.video_mode()[:2], (800, 600) if "800x600" in how else self.desktop[:2])
                finally:
                    game.close()
                    self.server.choose_mode("1280x1024")


class TwoMonitors(unittest.TestCase):
    """Two 1920x1080 monitors side by side: Yes covers the primary one, bare or under openbox, and leaves
    the other and every mode alone."""

    def play_on(self, manager, primary, monitor):
        server = XorgServer(two_monitors=True)
        self.addCleanup(server.stop)
        if manager:
            server.start_manager(manager)
        if primary:
            server.xrandr("--output", primary, "--primary")
        layout = server.xrandr("--current"), server.xrandr("--listmonitors"), server.video_mode()
        game = Game(server, missing=["ring"], start=None)
        self.addCleanup(game.close)
        x, y, width, height = monitor

        def on_monitor(wid):  # a box centred on the game's monitor, a frame allowed for
            bx, by, bw, bh = server.geometry(wid)
            self.assertLessEqual(abs(bx + bw // 2 - (x + width // 2)) + abs(by + bh // 2 - (y + height // 2)), 60)
            return wid
        game.answer_dialog(on_monitor(game.wait_dialog()), "y")
        box = on_monitor(game.wait_dialog("^Error$"))
        wait_for(lambda: server.xdotool("getwindowfocus") == [box], 10, "the box has no keyboard focus")
        self.assertIn(monitor, [tuple(w[1:]) for w in server.windows()])  # the game stays full screen under it
        server.xdotool("key", "Return")
        game.wait_window(monitor[2:])
        self.assertEqual(server.geometry(game.window), monitor)
        if manager:
            self.assertIn("_NET_WM_STATE_FULLSCREEN", server.xprop("-id", game.window, "_NET_WM_STATE"))
        else:  # out of the hands of any window manager that may start later
            self.assertIn("Override Redirect State: yes", run(["xwininfo", "-id", game.window], env=server.env).stdout.decode())
        server.xdotool("mousemove", x + 10, y + 10)
        self.assertTrue(server.pointer_hidden())

        # The surface at the monitor's height, 4:3, centred, black at the sides; keys reach it.
        side = (width - height * 4 // 3) // 2
        game.key("1")
        game.wait(lambda shot: on_game_screen(shot, side, height / SURFACE[1]), "no game shown scaled")
        shot = server.screenshot(game.window)
        self.assertEqual({shot.pixel(px, py) for px in (0, side - 1, width - side, width - 1) for py in (0, height - 1)},
                         {(0, 0, 0)})
        game.key("Escape", "Return", "x", "Escape", "x")  # game over, high scores, menu, about, quit
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual((server.xrandr("--current"), server.xrandr("--listmonitors"), server.video_mode()), layout)

    def test_bare_a_window_no_manager_handles_covers_the_primary_monitor_on_the_right(self):
        self.play_on(None, "DUMMY1", (1920, 0, 1920, 1080))

    def test_under_openbox_the_full_screen_window_covers_the_first_monitor(self):
        self.play_on("openbox", None, (0, 0, 1920, 1080))


if __name__ == "__main__":
    unittest.main()
