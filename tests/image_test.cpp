// The BMP loader against an independent decoder at every depth, with
// run-length streams, header layouts and every unusable file's one message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <tuple>

#include "image/RgbImage.h"
#include "support/Recorder.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void put32(Bytes& b, uint32_t v) { put16(b, v), put16(b, v >> 16); }

// A BMP file laid out field by field, so that every field can be made wrong.
struct Bmp {
    uint32_t headerSize = 40;
    int32_t width = 1, height = 1;
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0, colorsUsed = 0;
    Bytes colorTable = {};  // as stored: 3 or 4 bytes an entry
    Bytes pixels = {};  // bottom row first
    bool fileHeader = true, topDown = false;
    uint32_t gap = 0;  // unused bytes between the colour table and the pixels

    Bytes bytes() const
    {
        Bytes dib, rows = pixels;
        put32(dib, headerSize);
        if (headerSize == 12) {
            put16(dib, uint32_t(width)), put16(dib, uint32_t(height)), put16(dib, 1), put16(dib, bitsPerPixel);
        } else {
            put32(dib, uint32_t(width)), put32(dib, uint32_t(topDown ? -height : height)), put16(dib, 1), put16(dib, bitsPerPixel);
            put32(dib, compression), put32(dib, uint32_t(pixels.size())), put32(dib, 0), put32(dib, 0), put32(dib, colorsUsed);
            dib.resize(headerSize);  // the fields after these are zero
        }
        dib.insert(dib.end(), colorTable.begin(), colorTable.end());
        dib.resize(dib.size() + gap);
        for (size_t row = 0, stride = topDown ? pixels.size() / size_t(height) : 0; row < size_t(height) && stride; ++row)
            std::copy_n(pixels.end() - long((row + 1) * stride), stride, rows.begin() + long(row * stride));
        Bytes file = {'B', 'M'};
        put32(file, uint32_t(14 + dib.size() + rows.size())), put32(file, 0), put32(file, uint32_t(14 + dib.size()));
        file.insert(file.end(), dib.begin(), dib.end());
        file.insert(file.end(), rows.begin(), rows.end());
        return fileHeader ? file : Bytes(file.begin() + 14, file.end());
    }
};

// A decoded picture in the loader's layout: width, height, then RGB from the bottom row up.
using Pixels = std::tuple<int, int, Bytes>;

Pixels decodedByStb(const Bytes& file)
{
    int width = 0, height = 0, channels = 0;
    stbi_set_flip_vertically_on_load(1);
    stbi_uc* rgb = stbi_load_from_memory(file.data(), int(file.size()), &width, &height, &channels, 3);
    Pixels result{width, height, rgb ? Bytes(rgb, rgb + width * height * 3) : Bytes()};
    stbi_image_free(rgb);
    return result;
}

Bytes noise(size_t count, uint32_t seed)
{
    Bytes bytes(count);
    std::generate(bytes.begin(), bytes.end(), [random = std::mt19937(seed)]() mutable { return uint8_t(random()); });
    return bytes;
}

const std::string PICTURE = ::testing::TempDir() + "tarvik-image-" + std::to_string(getpid()) + ".dat";

// Loads the bytes as a file, or the file at a path. A picture that loads must show no message, one that fails exactly one.
std::optional<Pixels> load(const Bytes& file, const std::string& path = "")
{
    std::ofstream(PICTURE, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), long(file.size()));
    record::reset();
    RgbImage* image = loadRgbImage((path.empty() ? PICTURE : path).c_str());
    EXPECT_EQ(record::errorBoxes().size(), image ? 0u : 1u) << ::testing::PrintToString(record::errorBoxes());
    std::filesystem::remove(PICTURE);
    if (!image)
        return std::nullopt;
    Pixels pixels{image->width, image->height, Bytes(image->data, image->data + image->width * image->height * 3)};
    free(image->data), free(image);
    return pixels;
}

void expectLoads(const Bytes& file, const Pixels& expected) { EXPECT_EQ(load(file), expected); }

TEST(ImageLoader, MatchesAnIndependentDecoderAtEveryDepth)
{
    // Widths 1 to 5 give every kind of row padding; longer rows reach the loader's widest steps.
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        for (int width : {1, 2, 3, 4, 5, 20, 21, 41, 64}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, width " + std::to_string(width));
            Bmp bmp{.width = width, .height = 3, .bitsPerPixel = bits, .colorTable = noise(bits <= 8 ? size_t(4) << bits : 0, bits),
                    .pixels = noise(size_t((width * bits + 31) / 32 * 4 * 3), uint32_t(width + bits))};
            Pixels expected = decodedByStb(bmp.bytes());
            expectLoads(bmp.bytes(), expected);
            bmp.fileHeader = false, expectLoads(bmp.bytes(), expected);
            bmp.fileHeader = true, bmp.topDown = true, expectLoads(bmp.bytes(), expected);
        }
    }
}

TEST(ImageLoader, PaintsRunLengthStreamsColoursOutsideTheTableBlackAndFindsThePixelsWhereTheHeadersSay)
{
    const Bytes table = {0, 0, 0, 0, 30, 30, 30, 0, 60, 60, 60, 0, 90, 90, 90, 0};  // black and three greys
    auto picture = [](std::string pixels) {  // of "a", "b", "c" and "k" (black)
        Bytes rgb;
        for (char p : pixels)
            rgb.insert(rgb.end(), 3, uint8_t(p == 'k' ? 0 : 30 * (p - 'a' + 1)));
        return rgb;
    };
    // Eight bits: a run, then an absolute run of three (with its pad byte) that
    // overruns the row and is cut; a delta skips the middle row.
    Bmp rle8{.width = 4, .height = 3, .bitsPerPixel = 8, .compression = 1, .colorsUsed = 4, .colorTable = table};
    rle8.pixels = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 1, 3, 0, 1};
    expectLoads(rle8.bytes(), {4, 3, picture("aaabkkkkkkck")});
    // Four bits: alternating nibbles in a run, then five literal nibbles in three bytes plus a pad byte.
    Bmp rle4{.width = 5, .height = 2, .bitsPerPixel = 4, .compression = 2, .colorsUsed = 4, .colorTable = table};
    rle4.pixels = {5, 0x12, 0, 0, 0, 5, 0x31, 0x23, 0x00, 0, 0, 1};
    rle4.fileHeader = false, expectLoads(rle4.bytes(), {5, 2, picture("ababacabck")});
    // Without a file header the pixels follow the colour table: after an info header, of as many entries
    // as the low 16 bits of colours used give (0x10002: two; the colours past them are black)...
    expectLoads(Bmp{.width = 3, .bitsPerPixel = 8, .colorsUsed = 0x10002, .colorTable = {1, 2, 3, 0, 4, 5, 6, 0},
                    .pixels = {1, 2, 255, 0}, .fileHeader = false}.bytes(), {3, 1, {6, 5, 4, 0, 0, 0, 0, 0, 0}});
    // ...and 256 entries of 3 bytes after a core header, whose sizes are unsigned.
    Bmp core{.headerSize = 12, .width = 40000, .bitsPerPixel = 8, .colorTable = noise(768, 7), .pixels = Bytes(40000, 5)};
    const Pixels expected = decodedByStb(core.bytes());
    core.fileHeader = false, expectLoads(core.bytes(), expected);
    // With a file header its pixel offset is used as it is, past unused bytes.
    expectLoads(Bmp{.pixels = {255, 0, 0, 0}, .gap = 6}.bytes(), {1, 1, {0, 0, 255}});
    // The padding of the last row may be missing from the end of the file.
    expectLoads(Bmp{.width = 1, .height = 2, .pixels = {1, 2, 3, 0, 4, 5, 6}}.bytes(), {1, 2, {3, 2, 1, 6, 5, 4}});
}

TEST(ImageLoader, EachUnusableFileShowsItsOneMessage)
{
    auto fails = [](const std::string& message, const std::vector<Bytes>& files, const std::string& path = "") {
        for (const Bytes& file : files) {
            SCOPED_TRACE(message + " for a file of " + std::to_string(file.size()) + " bytes");
            EXPECT_EQ(load(file, path), std::nullopt);
            EXPECT_EQ(record::errorBoxes(), std::vector<std::string>{"Error|" + message});
        }
    };
    // A missing file, a path longer than the message box holds, an empty file.
    for (const std::string& path : {PICTURE + ".missing", ::testing::TempDir() + std::string(300, 'x'), PICTURE})
        fails(("Failed to open DIB file " + path + ".\n").substr(0, 255), {{}}, path);
    // A good 2 x 2 picture with one field changed.
    const Bmp ok{.width = 2, .height = 2, .pixels = Bytes(16, 7)};
    auto with = [&]<class T>(T Bmp::*field, std::type_identity_t<T> value) { Bmp bmp = ok; bmp.*field = value; return bmp.bytes(); };
    auto cut = [](Bytes file, size_t size) { return file.resize(size), file; };
    auto runLength = [](Bytes stream, int32_t height = 2, uint16_t bits = 8) {
        return Bmp{.width = 2, .height = height, .bitsPerPixel = bits, .compression = 1, .colorsUsed = 1,
                   .colorTable = {0, 0, 0, 0}, .pixels = stream}.bytes();
    };
    // Other headers; files that end in the header's size or inside the header.
    fails("Unknown DIB file format.", {with(&Bmp::headerSize, 108), with(&Bmp::headerSize, 124),
        {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1},
        {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0}, cut(ok.bytes(), 14 + 39)});
    // No pixels, or 300 MB of them and more.
    fails("Out of memory.", {with(&Bmp::width, 0), with(&Bmp::height, 0), with(&Bmp::width, -2), with(&Bmp::height, INT32_MIN),
        Bmp{.width = 20000, .height = -5000}.bytes(), Bmp{.width = INT32_MAX, .height = INT32_MAX}.bytes()});
    // Depths and compressions not read, eight-bit run-length coding at four bits, a top-down run-length
    // picture; a file that ends in a pixel row, in the colour table, where its pixels begin, or in a
    // run-length stream before its end-of-picture code, within a delta or within an absolute run.
    fails("Image file conversion error.", {with(&Bmp::bitsPerPixel, 2), with(&Bmp::compression, 3),
        with(&Bmp::compression, 4), runLength({0, 1}, 2, 4), runLength({0, 1}, -2), cut(ok.bytes(), ok.bytes().size() - 3),
        Bmp{.bitsPerPixel = 8, .colorTable = Bytes(1020, 0)}.bytes(), Bmp{.gap = 100}.bytes(),
        runLength({2, 0, 0, 0}), runLength({0, 2, 1}), runLength({0, 4, 0, 0, 0})});
}

}  // namespace
