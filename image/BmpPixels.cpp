#include "image/BmpPixels.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

namespace {

// The escape codes that follow a zero count in a run-length stream.
constexpr uint8_t RLE_END_OF_LINE = 0;
constexpr uint8_t RLE_END_OF_PICTURE = 1;
constexpr uint8_t RLE_DELTA = 2;

void put(uint8_t* out, const Color& color) { std::memcpy(out, &color, 3); }

// Writes the palette colours of width pixels, indexOf(x) giving the index of
// pixel x. All but the last are stored four bytes at a time, the spare byte
// landing where the next pixel then goes.
template <typename IndexOf>
void convertIndexed(uint8_t* out, uint32_t width, const Color* palette, IndexOf indexOf)
{
    uint32_t last = width - 1;
    for (uint32_t x = 0; x < last; ++x, out += 3)
        std::memcpy(out, &palette[indexOf(x)], sizeof(Color));
    put(out, palette[indexOf(last)]);
}

// Index of pixel i in a row of 4-bit pixels, the high nibble first.
uint8_t nibble(const uint8_t* row, uint32_t i) { return i & 1 ? row[i >> 1] & 0x0F : row[i >> 1] >> 4; }

// Repeats the top bits in the low ones, so that 31 becomes 255.
uint8_t widenFiveBits(unsigned value) { return static_cast<uint8_t>(value << 3 | value >> 2); }

void convert1(const uint8_t* source, uint8_t* out, uint32_t width, const Color* palette)
{
    convertIndexed(out, width, palette, [source](uint32_t x) { return source[x >> 3] >> (7 - (x & 7)) & 1; });
}

void convert4(const uint8_t* source, uint8_t* out, uint32_t width, const Color* palette)
{
    convertIndexed(out, width, palette, [source](uint32_t x) { return nibble(source, x); });
}

void convert8(const uint8_t* source, uint8_t* out, uint32_t width, const Color* palette)
{
    convertIndexed(out, width, palette, [source](uint32_t x) { return source[x]; });
}

// Five bits each of red, green and blue, blue lowest; the top bit is unused.
void convert16(const uint8_t* source, uint8_t* out, uint32_t width, const Color*)
{
    for (uint32_t x = 0; x < width; ++x, source += 2, out += 3) {
        unsigned value = source[0] | source[1] << 8;
        out[0] = widenFiveBits(value >> 10 & 31);
        out[1] = widenFiveBits(value >> 5 & 31);
        out[2] = widenFiveBits(value & 31);
    }
}

void convert24(const uint8_t* source, uint8_t* out, uint32_t width, const Color*)
{
    for (uint32_t x = 0; x < width; ++x, source += 3, out += 3) {
        out[0] = source[2];
        out[1] = source[1];
        out[2] = source[0];
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The same, five pixels a step: sixteen bytes are loaded and stored with
// each group of three reversed; the sixteenth byte stored is rewritten by the
// next step. Four steps at a time keep the loads ahead of the stores, about
// five times as fast as a byte at a time.
__attribute__((target("ssse3"))) void convert24Ssse3(const uint8_t* source, uint8_t* out, uint32_t width,
                                                      const Color* palette)
{
    const __m128i reverseTriples = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    uint32_t x = 0;
    for (; x + 21 <= width; x += 20, source += 60, out += 60) {
        __m128i step[4];
        for (int i = 0; i < 4; ++i)
            step[i] = _mm_loadu_si128(reinterpret_cast<const __m128i_u*>(source + 15 * i));
        for (int i = 0; i < 4; ++i)
            _mm_storeu_si128(reinterpret_cast<__m128i_u*>(out + 15 * i), _mm_shuffle_epi8(step[i], reverseTriples));
    }
    convert24(source, out, width - x, palette);
}
#endif

// Blue, green, red and an unused byte.
void convert32(const uint8_t* source, uint8_t* out, uint32_t width, const Color*)
{
    for (uint32_t x = 0; x < width; ++x, source += 4, out += 3) {
        out[0] = source[2];
        out[1] = source[1];
        out[2] = source[0];
    }
}

// Where the next pixel of a run-length stream lands. Pixels that fall beyond
// the end of a row or above the top row are dropped, and all of them without
// an output.
struct RunCursor {
    uint8_t* out;
    const Color* palette;
    uint32_t width;
    uint32_t rows;
    uint32_t x = 0;
    uint32_t y = 0;

    void paint(uint8_t index)
    {
        if (x >= width)
            return;
        if (out && y < rows)
            put(out + (static_cast<std::size_t>(y) * width + x) * 3, palette[index]);
        ++x;
    }
    void nextRow()
    {
        x = 0;
        y = std::min(y + 1, rows);
    }
    void move(uint8_t right, uint8_t up)
    {
        x = std::min(x + right, width);
        y = std::min(y + up, rows);
    }
};

}  // namespace

RowConverter rowConverterFor(uint16_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return convert1;
    case 4: return convert4;
    case 8: return convert8;
    case 16: return convert16;
#if defined(__x86_64__) || defined(__i386__)
    case 24: return __builtin_cpu_supports("ssse3") ? convert24Ssse3 : convert24;
#else
    case 24: return convert24;
#endif
    case 32: return convert32;
    default: return nullptr;
    }
}

bool decodeRunLength(const uint8_t* stream, std::size_t length, uint32_t compression, uint32_t width,
                     uint32_t rows, const Color* palette, uint8_t* out)
{
    bool fourBits = compression == COMPRESSION_RLE4;
    RunCursor cursor{out, palette, width, rows};
    std::size_t at = 0;
    while (length - at >= 2) {
        uint8_t count = stream[at];
        uint8_t value = stream[at + 1];
        at += 2;
        if (count > 0) {
            // A run; at four bits its byte holds two colours that alternate.
            for (uint32_t i = 0; i < count; ++i)
                cursor.paint(fourBits ? nibble(&value, i & 1) : value);
            continue;
        }
        switch (value) {
        case RLE_END_OF_LINE:
            cursor.nextRow();
            break;
        case RLE_END_OF_PICTURE:
            return true;
        case RLE_DELTA:
            if (length - at < 2)
                return false;
            cursor.move(stream[at], stream[at + 1]);
            at += 2;
            break;
        default: {
            // value pixels stored as they are, padded to a 16-bit boundary.
            std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
            std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (length - at < padded)
                return false;
            for (uint32_t i = 0; i < value; ++i)
                cursor.paint(fourBits ? nibble(stream + at, i) : stream[at + i]);
            at += padded;
        }
        }
    }
    return false;
}
