#pragma once

#include <cstdint>

// A position in window pixels: the centre of a grid cell, or (0, 0) for "none".
struct GridPoint {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const GridPoint&, const GridPoint&) = default;
};
