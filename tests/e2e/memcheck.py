"""A short session of the real program under valgrind's memcheck (an error box, the lists, a Hard
game's first steps, the name entry, help, about, the way out); fails when it goes wrong, on
a memcheck error or on memory definitely lost.   python3 tests/e2e/memcheck.py   (TARVIK_EXE names
the program)"""

import os
import sys
import tempfile

from harness import TITLE, Board, Game, XServer, high_score_errors, on_game_screen, score_file

RATE = 0.05  # a Hard step every 1.1 s of real time
SLOWNESS = 10
SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "memcheck.supp")
NORMAL, HARD = [("Ann", 900), ("Bob", 2)], [("Cy", 5)]


def session(game):
    game.start()
    game.key("3")
    game.wait_screen(lambda s: not high_score_errors(s, "Normal", NORMAL, game.background), "no Normal list")
    game.key("Right")
    game.wait_screen(lambda s: not high_score_errors(s, "Hard", HARD, game.background), "no Hard list")
    game.key("x", "2")
    head = Board(game.wait_screen(lambda s: on_game_screen(s) and Board(s).head, "no game")).head
    game.wait_screen(lambda s: Board(s).head not in (None, head), "the snake did not move")
    game.key("Escape")
    game.wait_text(432, 334, "Game Over", TITLE)
    game.type("Val")
    game.key("Return")  # a score of 0: nothing is filed
    game.wait_screen(lambda s: not high_score_errors(s, "Hard", HARD, game.background), "no Hard list after the game")
    assert game.scores() == score_file(NORMAL, HARD), "the file changed"
    game.key("x", "4")
    game.wait_text(472, 334, "Help", TITLE)
    game.key("space", "Escape")
    game.wait_text(472, 334, "About", TITLE)
    game.key("Return")
    return game.wait_exit()


def main():
    log = tempfile.NamedTemporaryFile(prefix="tarvik-memcheck-", suffix=".log", delete=False).name
    valgrind = ["valgrind", "--error-exitcode=99", "--leak-check=full", "--errors-for-leak-kinds=definite",
                "--show-leak-kinds=definite", "--keep-debuginfo=yes", "--num-callers=40",
                "--suppressions=" + SUPPRESSIONS, "--log-file=" + log]
    server = XServer()
    game = None
    try:
        # Without the decoration's picture: one error box, and a play field the board is read from plainly.
        game = Game(server, rate=RATE, scores=score_file(NORMAL, HARD), wrapper=valgrind,
                    slowness=SLOWNESS, missing=["ring"])
        status = session(game)
    finally:
        if game:
            game.close()
        server.stop()
        with open(log) as f:
            report = f.read()
        os.remove(log)
    print("".join(line for line in report.splitlines(keepends=True)
                  if "ERROR SUMMARY" in line or "lost:" in line or "reachable:" in line or "suppressed:" in line))
    if status != 0:
        print(report)
        print(f"memcheck: the program exited with status {status}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
