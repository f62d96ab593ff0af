// The cost of one game frame with the longest snake (1456 segments) against
// the baseline's frame of as many octagons, drawn in turns in one real GLUT
// window and process. Each frame is cleared, drawn and finished (glFinish),
// and timed in process CPU time (the renderer's threads included) and in wall
// time. Run it from a folder holding img/. Prints the renderer's name, then one
// line per frame kind:
//   renderer <GL_RENDERER>, OpenGL <GL_VERSION>
//   <kind> <frames> <median CPU us> <median wall us>
// Given a window size as well (frame_cost TURNS WIDTH HEIGHT), it times instead
// the whole display callback of a paused Hard game, buffer swap included, in
// a window of that size, the surface shown scaled unless it is 1024 x 768:
//   paused <frames> <median CPU us> <median wall us>
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "baseline_frame.h"
#include "game/SnakeGame.h"
#include "game_access.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "shell/Presenter.h"

namespace {

constexpr int LONGEST_SNAKE = (GRID_LAST_COLUMN + 1) * (GRID_LAST_ROW + 1) - 1;
constexpr int FRAMES_PER_TURN = 10;
int turns = 30;
int windowWidth = 0, windowHeight = 0;  // the paused game's window, when one is given
bool windowSized = false;

long long micros(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

// Every cell but the last, row by row in a serpentine, tail first: the head
// ends beside the one free cell, where the food lies.
Snake longestSnake()
{
    Snake cells;
    for (int row = 0; row <= GRID_LAST_ROW; ++row) {
        for (int k = 0; k <= GRID_LAST_COLUMN; ++k) {
            int column = row % 2 == 0 ? k : GRID_LAST_COLUMN - k;
            cells.push_back({GRID_ORIGIN_X + CELL_SIZE * column, GRID_ORIGIN_Y + CELL_SIZE * row});
        }
    }
    cells.resize(LONGEST_SNAKE);
    return cells;
}

struct Samples {
    std::vector<long long> cpu, wall;
};

template <typename Draw>
void timeFrames(Samples& samples, Draw draw)
{
    for (int i = 0; i < FRAMES_PER_TURN; ++i) {
        long long cpu = micros(CLOCK_PROCESS_CPUTIME_ID), wall = micros(CLOCK_MONOTONIC);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        glFinish();
        samples.cpu.push_back(micros(CLOCK_PROCESS_CPUTIME_ID) - cpu);
        samples.wall.push_back(micros(CLOCK_MONOTONIC) - wall);
    }
}

long long median(std::vector<long long> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* kind, const Samples& s)
{
    std::printf("%s %zu %lld %lld\n", kind, s.cpu.size(), median(s.cpu), median(s.wall));
}

void measure()
{
    Samples game, baseline;
    // A warm-up turn of each first, then the two kinds in turns so that a
    // busy moment of the machine falls on both alike.
    timeFrames(game, [] { snakeGame->draw(); });
    timeFrames(baseline, [] { drawBaselineFrame(LONGEST_SNAKE); });
    game = baseline = Samples{};
    for (int t = 0; t < turns; ++t) {
        timeFrames(game, [] { snakeGame->draw(); });
        timeFrames(baseline, [] { drawBaselineFrame(LONGEST_SNAKE); });
    }
    std::printf("renderer %s, OpenGL %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    report("game", game);
    report("baseline", baseline);
    std::fflush(stdout);
    std::exit(0);
}

void measurePaused()
{
    Samples paused;
    for (int t = 0; t <= turns; ++t) {
        if (t == 1)
            paused = Samples{};  // the first turn warms up
        for (int i = 0; i < FRAMES_PER_TURN; ++i) {
            long long cpu = micros(CLOCK_PROCESS_CPUTIME_ID), wall = micros(CLOCK_MONOTONIC);
            onDisplay();
            glFinish();
            paused.cpu.push_back(micros(CLOCK_PROCESS_CPUTIME_ID) - cpu);
            paused.wall.push_back(micros(CLOCK_MONOTONIC) - wall);
        }
    }
    std::printf("renderer %s, scaled %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                presenter.isScaled() ? "yes" : "no");
    report("paused", paused);
    std::fflush(stdout);
    std::exit(0);
}

void reshape(int width, int height)
{
    onReshape(width, height);
    windowSized = width == windowWidth && height == windowHeight;
}

void display()
{
    static bool done = false;
    if (!done && !windowWidth) {
        done = true;
        measure();
    }
    if (!done && windowSized) {
        done = true;
        measurePaused();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        turns = std::max(1, std::atoi(argv[1]));
    openGameSizedWindow(argv, "Tarvik-Snake frame cost");
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);

    appState = new AppState(SCREEN_GAME);
    snakeGame = new SnakeGame();
    if (argc > 3) {
        windowWidth = std::atoi(argv[2]);
        windowHeight = std::atoi(argv[3]);
        presenter.askFor(windowWidth, windowHeight);  // a bare X server grants it
        glutReshapeWindow(windowWidth, windowHeight);
        snakeGame->reset(MODE_HARD);
        snakeGame->onKey('p', ORDINARY_KEY, 0, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glutMainLoop();
    }
    Snake snake = longestSnake();
    SnakeGameTestAccess::setSnake(*snakeGame, snake, HEADING_RIGHT);
    SnakeGameTestAccess::setFood(*snakeGame, {GRID_ORIGIN_X + CELL_SIZE * GRID_LAST_COLUMN, GRID_ORIGIN_Y + CELL_SIZE * GRID_LAST_ROW}, FOOD_RED);
    SnakeGameTestAccess::score(*snakeGame) = 5 * (LONGEST_SNAKE - 4);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glutMainLoop();
}
