"""Plays through every screen of the real program under Xvfb and saves each as a
PNG file in the folder given: python3 tools/screenshots.py FOLDER
(TARVIK_EXE names the program). tools/screenshots.sh builds the game first."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from harness import (FOOD_POINTS, PAUSE_AT, TITLE, Board, Game, XServer, drive, filed,  # noqa: E402
                     first_game_food, high_score_errors, on_game_screen, picture, route, score_file, seeds_placing)

# With this second as the seed, the first food is red, round one turn, and
# the snake has room to grow after eating it; another second makes a plainer picture.
START = "2026-01-01 00:07:43"
SCORES = [("Ada", 120), ("Grace", 85), ("Linus", 40), ("Ken", 25), ("Dennis", 10)]
SECOND_LIST = [("Margaret", 310), ("Barbara", 150)]


def take(folder):
    server = XServer()
    game = Game(server, start_time=START, rate=0.2, scores=score_file(SCORES, SECOND_LIST))
    try:
        game.start()
        game.screenshot(os.path.join(folder, "main-menu.png"))
        game.key("4")
        game.wait_text(472, 334, "Help", TITLE)
        game.screenshot(os.path.join(folder, "help.png"))
        game.key("space", "1")

        ring = picture("ring")
        food = Board(game.wait_screen(lambda s: on_game_screen(s) and Board(s, ring).food, "no game"), ring).food
        cells, eaten, turns = route(first_game_food(seeds_placing(food, START)[0])[1][1])
        for position, _ in drive(game, cells, turns, ring):
            if position == min(eaten + 6, len(cells) - 2):
                break
        game.screenshot(os.path.join(folder, "game.png"))
        game.key("p")
        game.wait_screen(lambda s: s.differences(picture("pause"), *PAUSE_AT) == 0, "no pause sign")
        game.screenshot(os.path.join(folder, "paused.png"))

        game.key("Escape")
        game.wait_text(432, 334, "Game Over", TITLE)
        game.type("Alan")
        game.wait_text(402, 454, "> Alan")
        game.screenshot(os.path.join(folder, "game-over.png"))
        game.key("Return")
        listed = filed(SCORES, "Alan", FOOD_POINTS[food[0]])
        game.wait_screen(lambda s: not high_score_errors(s, "Normal", listed, game.background), "no high scores")
        game.screenshot(os.path.join(folder, "high-scores.png"))
        game.key("x", "Escape")
        game.wait_text(472, 334, "About", TITLE)
        game.screenshot(os.path.join(folder, "about.png"))
        game.key("q")
        game.wait_exit()
    finally:
        game.close()
        server.stop()


if __name__ == "__main__":
    take(sys.argv[1])
