#include "game/SnakeGame.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>

#include "game/Random.h"
#include "image/RgbImage.h"
#include "shell/App.h"
#include "shell/AppState.h"

namespace {

constexpr unsigned char KEY_PAUSE = 'p';
constexpr int32_t GRID_COLUMNS = GRID_LAST_COLUMN + 1;
constexpr int32_t GRID_ROWS = GRID_LAST_ROW + 1;

// What the food gives, by FoodKind; r is the food's draw modulo FOOD_DRAW_RANGE.
constexpr int32_t FOOD_DRAW_RANGE = 101;
struct FoodValue {
    int32_t lastDraw;  // highest r that chooses this kind
    int32_t growth;
    uint32_t points;
};
constexpr FoodValue FOOD_VALUES[] = {{25, 1, 5}, {75, 2, 10}, {100, 8, 40}};
constexpr int32_t FOOD_KIND_COUNT = static_cast<int32_t>(std::size(FOOD_VALUES));

void freeImage(RgbImage* image)
{
    if (image)
        std::free(image->data);
    std::free(image);
}

}  // namespace

SnakeGame::SnakeGame()
{
    titleImage = loadRgbImage("img/titulo_jogo.dat");
    scoreLabelImage = loadRgbImage("img/level_score.dat");
    normalLabelImage = loadRgbImage("img/normal.dat");
    hardLabelImage = loadRgbImage("img/hard.dat");
    for (int d = 0; d < static_cast<int>(std::size(digitImages)); ++d) {
        char path[16];
        std::snprintf(path, sizeof path, "img/%d.dat", d);
        digitImages[d] = loadRgbImage(path);
    }
    ringImage = loadRgbImage("img/ring.dat");
    pauseImage = loadRgbImage("img/pause.dat");
    reset(MODE_NORMAL);
}

SnakeGame::~SnakeGame()
{
    std::free(segments);
    for (RgbImage* image : {titleImage, scoreLabelImage, normalLabelImage, hardLabelImage, ringImage, pauseImage})
        freeImage(image);
    for (RgbImage* image : digitImages)
        freeImage(image);
}

void SnakeGame::reset(int32_t newMode)
{
    mode = newMode;
    playerName[0] = '\0';
    score = 0;
    clearTurns();
    paused = false;
    food = {};
    foodKind = FOOD_GREEN;
    heading = HEADING_LEFT;
    segmentCount = START_SEGMENTS;
    pendingGrowth = 0;
    // Shrinking the last game's array cannot fail in practice; if it does, that
    // array still has room for a fresh snake.
    if (!resizeSegments(START_SEGMENTS) && !segments)
        std::abort();
    placeInitialSnake();
    placeFood();  // a four-segment snake always leaves a cell free
    appState->tickRate = mode == MODE_NORMAL ? TICK_RATE_NORMAL : TICK_RATE_HARD;
}

void SnakeGame::placeInitialSnake()
{
    GridPoint head = {GRID_ORIGIN_X + CELL_SIZE * (GRID_LAST_COLUMN / 2), GRID_ORIGIN_Y + CELL_SIZE * (GRID_LAST_ROW / 2)};
    for (int32_t i = segmentCount - 1; i >= 0; --i) {
        segments[i] = head;
        head.x += CELL_SIZE;
    }
}

void SnakeGame::clearTurns()
{
    for (Direction& slot : turnQueue)
        slot = DIR_NONE;
}

void SnakeGame::pushTurn(Direction d)
{
    for (Direction& slot : turnQueue) {
        if (slot == DIR_NONE) {
            slot = d;
            return;
        }
    }
}

Direction SnakeGame::popTurn()
{
    Direction front = turnQueue[0];
    if (front == DIR_NONE)
        return DIR_NONE;
    for (int i = 1; i < TURN_QUEUE_LENGTH; ++i)
        turnQueue[i - 1] = turnQueue[i];
    turnQueue[TURN_QUEUE_LENGTH - 1] = DIR_NONE;
    return front;
}

void SnakeGame::onKey(unsigned char key, int32_t special, int32_t, int32_t)
{
    if (special == ORDINARY_KEY) {
        if (key == KEY_ESCAPE)
            endGame();
        else if (key == KEY_PAUSE)
            paused = !paused;
        return;
    }
    if (paused)
        return;
    switch (special) {
    case GLUT_KEY_LEFT: pushTurn(DIR_LEFT); break;
    case GLUT_KEY_UP: pushTurn(DIR_UP); break;
    case GLUT_KEY_RIGHT: pushTurn(DIR_RIGHT); break;
    case GLUT_KEY_DOWN: pushTurn(DIR_DOWN); break;
    default: break;
    }
}

void SnakeGame::tick()
{
    if (paused)
        return;
    if (!step()) {
        endGame();
        return;
    }
    switch (checkHead()) {
    case STEP_ATE_FOOD:
        // A board without a free cell has nowhere left to go: the game is won
        // as far as it can be, and ends like any other.
        if (!placeFood())
            endGame();
        break;
    case STEP_HIT_WALL:
    case STEP_HIT_SELF: endGame(); break;
    case STEP_NONE: break;
    }
}

void SnakeGame::endGame()
{
    appState->setScreen(SCREEN_GAME_OVER);
    glutPostRedisplay();
}

bool SnakeGame::step()
{
    // Room for the new head comes first, so a snake that cannot grow is left
    // exactly as it was.
    // Doubling keeps the copying linear in the snake's final length.
    bool growing = pendingGrowth > 0;
    if (growing && segmentCount == segmentCapacity) {
        int32_t capacity = segmentCapacity * 2 < GRID_CELLS ? segmentCapacity * 2 : GRID_CELLS;
        if (segmentCount >= GRID_CELLS || !resizeSegments(capacity))
            return false;
    }

    Direction d = popTurn();
    bool vertical = heading == HEADING_UP || heading == HEADING_DOWN;
    if (((d == DIR_UP || d == DIR_DOWN) && vertical) || ((d == DIR_LEFT || d == DIR_RIGHT) && !vertical))
        d = DIR_NONE;
    if (d == DIR_NONE) {
        constexpr Direction CONTINUES_AS[] = {DIR_UP, DIR_DOWN, DIR_RIGHT, DIR_LEFT};  // by Heading
        d = CONTINUES_AS[heading];
    }

    GridPoint head = segments[segmentCount - 1];
    switch (d) {
    case DIR_UP: heading = HEADING_UP; head.y -= CELL_SIZE; break;
    case DIR_DOWN: heading = HEADING_DOWN; head.y += CELL_SIZE; break;
    case DIR_LEFT: heading = HEADING_LEFT; head.x -= CELL_SIZE; break;
    case DIR_RIGHT: heading = HEADING_RIGHT; head.x += CELL_SIZE; break;
    case DIR_NONE: break;
    }

    if (growing) {
        ++segmentCount;
        --pendingGrowth;
    } else {
        std::memmove(segments, segments + 1, sizeof(GridPoint) * static_cast<size_t>(segmentCount - 1));
    }
    segments[segmentCount - 1] = head;
    return true;
}

StepResult SnakeGame::checkHead()
{
    const GridPoint head = segments[segmentCount - 1];
    if (head == food) {
        if (foodKind >= 0 && foodKind < FOOD_KIND_COUNT) {
            pendingGrowth += FOOD_VALUES[foodKind].growth;
            score += FOOD_VALUES[foodKind].points;
        }
        return STEP_ATE_FOOD;
    }
    if (head.x < FIELD_LEFT || head.x > FIELD_RIGHT || head.y < FIELD_TOP || head.y > FIELD_BOTTOM)
        return STEP_HIT_WALL;
    for (int32_t i = segmentCount - 2; i >= 0; --i) {
        if (segments[i] == head)
            return STEP_HIT_SELF;
    }
    return STEP_NONE;
}

bool SnakeGame::placeFood()
{
    if (seedPending) {
        seedRandom(static_cast<uint32_t>(std::time(nullptr)));
        seedPending = false;
    }
    int32_t r = nextRandom() % FOOD_DRAW_RANGE;
    foodKind = FOOD_GREEN;
    while (r > FOOD_VALUES[foodKind].lastDraw)
        foodKind = foodKind + 1;

    // Without a free cell the drawing below would never end. With one, it ends:
    // the generator reaches every cell from any state.
    if (!hasFreeCell())
        return false;
    GridPoint cell;
    do {
        cell.x = (nextRandom() + 1) % GRID_COLUMNS * CELL_SIZE + GRID_ORIGIN_X;
        cell.y = (nextRandom() + 1) % GRID_ROWS * CELL_SIZE + GRID_ORIGIN_Y;
    } while (!isCellFree(cell.x, cell.y));
    food = cell;
    return true;
}

bool SnakeGame::isCellFree(int32_t x, int32_t y) const
{
    const GridPoint cell = {x, y};
    for (int32_t i = 0; i < segmentCount; ++i) {
        if (segments[i] == cell)
            return false;
    }
    return true;
}

bool SnakeGame::hasFreeCell() const
{
    bool taken[GRID_CELLS] = {};
    int32_t takenCount = 0;
    for (int32_t i = 0; i < segmentCount; ++i) {
        int32_t column = (segments[i].x - GRID_ORIGIN_X) / CELL_SIZE;
        int32_t row = (segments[i].y - GRID_ORIGIN_Y) / CELL_SIZE;
        bool onCentre = (segments[i].x - GRID_ORIGIN_X) % CELL_SIZE == 0 && (segments[i].y - GRID_ORIGIN_Y) % CELL_SIZE == 0;
        if (!onCentre || column < 0 || column >= GRID_COLUMNS || row < 0 || row >= GRID_ROWS)
            continue;
        bool& slot = taken[row * GRID_COLUMNS + column];
        takenCount += !slot;
        slot = true;
    }
    return takenCount < GRID_CELLS;
}

bool SnakeGame::resizeSegments(int32_t capacity)
{
    void* resized = std::realloc(segments, sizeof(GridPoint) * static_cast<size_t>(capacity));
    if (!resized)
        return false;
    segments = static_cast<GridPoint*>(resized);
    segmentCapacity = capacity;
    return true;
}

char* SnakeGame::getPlayerName() const
{
    return strdup(playerName);
}

void SnakeGame::setPlayerName(const char* text)
{
    size_t length = strnlen(text, MAX_NAME_LENGTH);
    std::memcpy(playerName, text, length);
    playerName[length] = '\0';
}
