#pragma once
// The pixel conversions of the BMP loader: each writes packed red, green, blue
// bytes straight into the loader's output.

#include <cstddef>
#include <cstdint>

struct Rgb {
    uint8_t red, green, blue;
};

// Enough entries for every index an 8-bit pixel can hold.
constexpr std::size_t PALETTE_SIZE = 256;

constexpr uint32_t COMPRESSION_NONE = 0;
constexpr uint32_t COMPRESSION_RLE8 = 1;
constexpr uint32_t COMPRESSION_RLE4 = 2;

// Converts one stored row of width pixels; the palette serves the indexed depths.
using RowConverter = void (*)(const uint8_t* source, uint8_t* out, uint32_t width, const Rgb* palette);

// Null for a depth that cannot be read uncompressed.
RowConverter rowConverterFor(uint16_t bitsPerPixel);

// Paints a bottom-up run-length stream (COMPRESSION_RLE8 or COMPRESSION_RLE4)
// into width x rows output pixels; what it does not paint is black. Fails when
// the stream ends before its end-of-picture code.
bool decodeRunLength(const uint8_t* stream, std::size_t length, uint32_t compression, uint32_t width,
                     uint32_t rows, const Rgb* palette, uint8_t* out);
