#pragma once

#include <cstdint>

#include "game/GridPoint.h"

struct RgbImage;

enum GameMode : int32_t { MODE_NORMAL = 1, MODE_HARD = 2 };

// A queued turn.
enum Direction : int32_t { DIR_NONE = 0, DIR_UP = 1, DIR_DOWN = 2, DIR_LEFT = 3, DIR_RIGHT = 4 };

// The direction of the last move. Note the order differs from Direction.
enum Heading : int32_t { HEADING_UP = 0, HEADING_DOWN = 1, HEADING_RIGHT = 2, HEADING_LEFT = 3 };

enum FoodKind : int32_t { FOOD_GREEN = 0, FOOD_YELLOW = 1, FOOD_RED = 2 };

enum StepResult : int32_t { STEP_NONE = 0, STEP_ATE_FOOD = 1, STEP_HIT_WALL = 2, STEP_HIT_SELF = 3 };

constexpr int CELL_SIZE = 21;
constexpr int GRID_ORIGIN_X = 30;  // centre of column 0
constexpr int GRID_ORIGIN_Y = 110; // centre of row 0
constexpr int GRID_LAST_COLUMN = 46;
constexpr int GRID_LAST_ROW = 30;
constexpr int TURN_QUEUE_LENGTH = 8;
constexpr int TICK_RATE_NORMAL = 8;
constexpr int TICK_RATE_HARD = 18;
constexpr int MAX_NAME_LENGTH = 20;
constexpr int PLAYER_NAME_SIZE = 24;

// The one game: its rules and state, and the pictures of the game screen.
class SnakeGame {
public:
    SnakeGame();  // loads the pictures, then reset(MODE_NORMAL)
    ~SnakeGame();
    SnakeGame(const SnakeGame&) = delete;
    SnakeGame& operator=(const SnakeGame&) = delete;

    void reset(int32_t newMode);
    void tick();
    void onKey(unsigned char key, int32_t special, int32_t x, int32_t y);
    void draw();

    int32_t getMode() const { return mode; }
    void setMode(int32_t newMode) { mode = newMode; }  // not the tick rate: that follows at the next reset
    char* getPlayerName() const;                        // a malloc'ed copy the caller frees
    void setPlayerName(const char* text);               // cut to MAX_NAME_LENGTH characters
    uint32_t getScore() const { return score; }

    // Read-only views for the tests and the drawing.
    int32_t getSegmentCount() const { return segmentCount; }
    const GridPoint* getSegments() const { return segments; }
    GridPoint getFood() const { return food; }
    int32_t getFoodKind() const { return foodKind; }
    bool isPaused() const { return paused; }

private:
    friend struct SnakeGameTestAccess;  // puts the game into states play takes long to reach

    // The play field's frame: a head outside it has hit the wall.
    static constexpr int32_t FIELD_LEFT = 20;
    static constexpr int32_t FIELD_TOP = 100;
    static constexpr int32_t FIELD_RIGHT = 1006;
    static constexpr int32_t FIELD_BOTTOM = 750;
    static constexpr int32_t START_SEGMENTS = 4;
    // Every segment lies on its own cell, so the snake never needs more segments.
    static constexpr int32_t GRID_CELLS = (GRID_LAST_COLUMN + 1) * (GRID_LAST_ROW + 1);

    bool step();       // false when the snake should grow but the array cannot
    StepResult checkHead();
    bool placeFood();  // false when no cell is free
    void placeInitialSnake();
    void clearTurns();
    void pushTurn(Direction d);
    Direction popTurn();
    bool isCellFree(int32_t x, int32_t y) const;
    bool hasFreeCell() const;
    bool resizeSegments(int32_t capacity);  // false, with the array untouched, when memory runs out
    void endGame();

    void drawHud();
    void drawFood();
    void drawSnake();

    int32_t mode = MODE_NORMAL;
    char playerName[PLAYER_NAME_SIZE] = {};
    uint32_t score = 0;
    Direction turnQueue[TURN_QUEUE_LENGTH] = {};  // front first; filled slots form a prefix
    bool paused = false;
    Heading heading = HEADING_LEFT;
    int32_t segmentCount = 0;
    int32_t pendingGrowth = 0;  // segments still to add, one per step
    GridPoint food;             // (0, 0): none placed
    int32_t foodKind = FOOD_GREEN;
    GridPoint* segments = nullptr;  // tail first, head last; malloc'ed
    int32_t segmentCapacity = 0;    // elements the array has room for

    RgbImage* titleImage = nullptr;
    RgbImage* scoreLabelImage = nullptr;
    RgbImage* normalLabelImage = nullptr;
    RgbImage* hardLabelImage = nullptr;
    RgbImage* digitImages[10] = {};
    RgbImage* ringImage = nullptr;
    RgbImage* pauseImage = nullptr;
};

// The pause sign's blink, kept across frames, pauses and games.
extern int32_t pauseBlinkCounter;  // frames drawn while paused since the sign last changed
extern bool pauseBlinkVisible;
