#pragma once
// Puts a SnakeGame into states that play would take long to reach, and reads what it does not
// show. The game itself has no test-only code.
#include <cstring>
#include <vector>

#include "game/SnakeGame.h"

using Snake = std::vector<GridPoint>;

struct SnakeGameTestAccess {
    static void setSnake(SnakeGame& game, const Snake& tailFirst, Heading heading)
    {
        if (!game.resizeSegments(int32_t(tailFirst.size())))
            std::abort();
        std::memcpy(game.segments, tailFirst.data(), sizeof(GridPoint) * tailFirst.size());
        game.segmentCount = int32_t(tailFirst.size());
        game.heading = heading;
    }
    static void setFood(SnakeGame& game, GridPoint at, int32_t kind) { game.food = at; game.foodKind = kind; }
    static const char* name(const SnakeGame& game) { return game.playerName; }
    static int32_t& pendingGrowth(SnakeGame& game) { return game.pendingGrowth; }
    static uint32_t& score(SnakeGame& game) { return game.score; }
    static Heading heading(const SnakeGame& game) { return game.heading; }
    // The sixteen picture fields, in the order they are loaded.
    static std::vector<RgbImage**> images(SnakeGame& g)
    {
        std::vector<RgbImage**> fields = {&g.titleImage, &g.scoreLabelImage, &g.normalLabelImage, &g.hardLabelImage};
        for (RgbImage*& digit : g.digitImages)
            fields.push_back(&digit);
        fields.insert(fields.end(), {&g.ringImage, &g.pauseImage});
        return fields;
    }
};
