"""Plays through every screen of the real program under Xvfb and saves each as a
PNG file in the folder given: python3 tools/screenshots.py FOLDER
(TARVIK_EXE names the program). tools/screenshots.sh builds the game first."""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from harness import WHITE, Game, XServer, centre, score_file  # noqa: E402

SCORES = [("Ada", 120), ("Grace", 85), ("Linus", 40), ("Ken", 25), ("Dennis", 10)]
SECOND_LIST = [("Margaret", 310), ("Barbara", 150)]


def take(folder):
    server = XServer()
    # The harness's start time: the first food lies at (8, 8), reached by turning up at (8, 15).
    game = Game(server, rate=0.2, scores=score_file(SCORES, SECOND_LIST))

    def save(name, pause=0.3):
        time.sleep(pause)
        server.screenshot(game.window).save(name, folder)
    try:
        game.start()
        save("main-menu")
        game.key("4")
        game.wait_screen("help")
        save("help")
        game.key("space", "1")
        game.wait(lambda shot: shot.pixel(*centre(8, 15)) == WHITE, "the head never reached its turn")
        game.key("Up")
        game.wait(lambda shot: shot.pixel(*centre(8, 6)) == WHITE, "the head never passed the food")
        save("game", 0)
        game.key("p")
        game.wait(lambda shot: shot.pixel(40, 50)[2] < 150, "no pause sign")  # it blinks over the banner
        save("paused", 0)
        game.key("Escape")
        game.wait_screen("game-over-10")
        game.type("Alan")
        save("game-over", 1)
        game.key("Return")
        save("high-scores", 1)
        game.key("x", "Escape")
        game.wait_screen("about")
        save("about")
        game.key("q")
        game.wait_exit()
    finally:
        game.close()
        server.stop()


if __name__ == "__main__":
    take(sys.argv[1])
