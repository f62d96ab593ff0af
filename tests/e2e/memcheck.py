"""A short session of the real program under valgrind's memcheck (an error box, the lists, a Hard
game's first steps, the name entry, help, about, the way out); fails when it goes wrong, on
a memcheck error or on memory definitely lost.   python3 tests/e2e/memcheck.py   (TARVIK_EXE names
the program)"""

import os
import sys
import tempfile

from harness import HERE, WHITE, Game, XServer, centre, score_file

NORMAL, HARD = [("Ann", 900), ("Bob", 2)], [("Cy", 5)]


def session(game):
    game.start()
    game.key("3")
    game.wait_screen("memcheck-normal")
    game.key("Right")
    game.wait_screen("memcheck-hard")
    game.key("x", "2")
    game.wait(lambda shot: shot.pixel(*centre(22, 15)) == WHITE, "the snake did not move")
    game.key("Escape")
    game.wait_screen("game-over-0")
    game.type("Val")
    game.key("Return")  # a score of 0: nothing is filed
    game.wait_screen("memcheck-hard")
    assert game.scores() == score_file(NORMAL, HARD), "the file changed"
    game.key("x", "4")
    game.wait_screen("help")
    game.key("space", "Escape")
    game.wait_screen("about")
    game.key("Return")
    return game.wait_exit()


def main():
    log = tempfile.NamedTemporaryFile(prefix="tarvik-memcheck-", suffix=".log", delete=False).name
    valgrind = ["valgrind", "--error-exitcode=99", "--leak-check=full", "--errors-for-leak-kinds=definite",
                "--show-leak-kinds=definite", "--keep-debuginfo=yes", "--num-callers=40",
                "--suppressions=" + os.path.join(HERE, "memcheck.supp"), "--log-file=" + log]
    server = XServer()
    # Without the decoration's picture: one error box. A Hard step every 1.1 s of real time.
    game = Game(server, rate=0.05, scores=score_file(NORMAL, HARD), wrapper=valgrind, slowness=10, missing=["ring"])
    try:
        status = session(game)
    finally:
        game.close()
        server.stop()
        with open(log) as f:
            report = f.read()
        os.remove(log)
    summary = ("ERROR SUMMARY", "lost:", "reachable:", "suppressed:")
    print(report if status else "".join(line for line in report.splitlines(keepends=True) if any(s in line for s in summary)))
    print(f"memcheck: the program exited with status {status}")
    return status != 0


if __name__ == "__main__":
    sys.exit(main())
