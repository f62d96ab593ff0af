#pragma once
// The pixel conversions of the BMP loader: each writes packed red, green, blue
// bytes straight into the loader's output.

#include <cstddef>
#include <cstdint>

// A palette colour: a pixel as the output holds it, and a spare byte so that
// it can be written four bytes at a time.
struct Color {
    uint8_t red, green, blue, spare;
};

// Enough entries for every index an 8-bit pixel can hold.
constexpr std::size_t PALETTE_SIZE = 256;

constexpr uint32_t COMPRESSION_NONE = 0;
constexpr uint32_t COMPRESSION_RLE8 = 1;
constexpr uint32_t COMPRESSION_RLE4 = 2;

// Converts one stored row of width (at least 1) pixels; the palette serves the
// indexed depths.
using RowConverter = void (*)(const uint8_t* source, uint8_t* out, uint32_t width, const Color* palette);

// Null for a depth that cannot be read uncompressed.
RowConverter rowConverterFor(uint16_t bitsPerPixel);

// Paints a bottom-up run-length stream (COMPRESSION_RLE8 or COMPRESSION_RLE4)
// into width x rows zeroed output pixels, leaving black what it skips; with a
// null output it only reads the stream. Fails when the stream ends before its
// end-of-picture code.
bool decodeRunLength(const uint8_t* stream, std::size_t length, uint32_t compression, uint32_t width,
                     uint32_t rows, const Color* palette, uint8_t* out);
