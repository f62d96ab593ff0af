#pragma once

#include <cstdint>

// A loaded picture: packed red, green, blue bytes, bottom row first, rows not
// padded, ready for glDrawPixels(GL_RGB, GL_UNSIGNED_BYTE) at unpack alignment 1.
// The record and its pixels are two malloc blocks owned by the caller.
struct RgbImage {
    int32_t width;
    int32_t height;
    uint8_t* data;  // width * height * 3 bytes
};

// Reads a BMP file. On failure the player is shown one message in an error
// box and the result is null.
RgbImage* loadRgbImage(const char* path);
