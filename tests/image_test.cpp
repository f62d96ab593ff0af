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
    // Colours used keeps only its low 16 bits: 0x10002 is a table of two; the rest is black.
    Bmp bmp{.width = 3, .bitsPerPixel = 8, .colorsUsed = 0x10002, .colorTable = {1, 2, 3, 0, 4, 5, 6, 0}, .pixels = {1, 2, 255, 0},
            .fileHeader = false};
    expectLoads(bmp.bytes(), {3, 1, {6, 5, 4, 0, 0, 0, 0, 0, 0}});
    bmp.compression = 1, bmp.pixels = {1, 1, 2, 7, 0, 1}, bmp.fileHeader = true;
    expectLoads(bmp.bytes(), {3, 1, {6, 5, 4, 0, 0, 0, 0, 0, 0}});
    // Without a file header the pixels follow the colour table: 2 entries after an info header...
    expectLoads(Bmp{.bitsPerPixel = 8, .colorsUsed = 2, .colorTable = {0, 0, 0, 0, 10, 20, 30, 0}, .pixels = {1, 9, 9, 9},
                    .fileHeader = false}.bytes(), {1, 1, {30, 20, 10}});
    // ...and 256 entries of 3 bytes after a core header, whose sizes are unsigned.
    Bmp core{.headerSize = 12, .width = 40000, .bitsPerPixel = 8, .colorTable = noise(768, 7), .pixels = Bytes(40000, 5),
             .fileHeader = false};
    Bytes row;
    for (int x = 0; x < 40000; ++x)
        row.insert(row.end(), {core.colorTable[17], core.colorTable[16], core.colorTable[15]});
    expectLoads(core.bytes(), {40000, 1, row});
    // With a file header its pixel offset is used as it is, past unused bytes.
    expectLoads(Bmp{.pixels = {255, 0, 0, 0}, .gap = 6}.bytes(), {1, 1, {0, 0, 255}});
    // The padding of the last row may be missing from the end of the file.
    expectLoads(Bmp{.width = 1, .height = 2, .pixels = {1, 2, 3, 0, 4, 5, 6}}.bytes(), {1, 2, {3, 2, 1, 6, 5, 4}});
}

TEST(ImageLoader, EachUnusableFileShowsItsOneMessage)
{
    const std::string unknown = "Unknown DIB file format.", memory = "Out of memory.", conversion = "Image file conversion error.";
    const std::string missing = PICTURE + ".missing", longPath = ::testing::TempDir() + std::string(300, 'x');
    Bmp ok{.width = 2, .height = 2, .pixels = Bytes(16, 7)};
    auto with = [&](auto change) { Bmp bmp = ok; return change(bmp), bmp.bytes(); };
    auto cut = [](Bytes file, size_t size) { return file.resize(size), file; };
    auto runLength = [](Bytes stream, int32_t height = 2, uint16_t bits = 8) {
        return Bmp{.width = 2, .height = height, .bitsPerPixel = bits, .compression = 1, .colorsUsed = 1,
                   .colorTable = {0, 0, 0, 0}, .pixels = stream}.bytes();
    };
    // (the file's bytes or, where they are empty, a path to open; the message)
    const std::tuple<Bytes, std::string, std::string> cases[] = {
        {{}, missing, "Failed to open DIB file " + missing + ".\n"},
        {{}, longPath, ("Failed to open DIB file " + longPath).substr(0, 255)},  // cut to the message box's size
        {{}, "", "Failed to open DIB file " + PICTURE + ".\n"},                 // an empty file
        {with([](Bmp& b) { b.headerSize = 108; }), "", unknown}, {with([](Bmp& b) { b.headerSize = 124; }), "", unknown},
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1}, "", unknown},
        {{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0}, "", unknown},  // ends in the header size
        {cut(ok.bytes(), 14 + 39), "", unknown},                                  // ends inside the header
        {with([](Bmp& b) { b.width = 0; }), "", memory}, {with([](Bmp& b) { b.height = 0; }), "", memory},
        {with([](Bmp& b) { b.width = -2; }), "", memory}, {with([](Bmp& b) { b.height = INT32_MIN; }), "", memory},
        {with([](Bmp& b) { b.width = 20000, b.height = -5000; }), "", memory},  // 300 MB
        {with([](Bmp& b) { b.width = b.height = INT32_MAX; }), "", memory}, {with([](Bmp& b) { b.bitsPerPixel = 2; }), "", conversion},
        {with([](Bmp& b) { b.compression = 3; }), "", conversion}, {with([](Bmp& b) { b.compression = 4; }), "", conversion},
        {runLength({0, 1}, 2, 4), "", conversion}, {runLength({0, 1}, -2), "", conversion},
        {cut(ok.bytes(), ok.bytes().size() - 3), "", conversion},  // a pixel row ends early
        {with([](Bmp& b) { b.bitsPerPixel = 8, b.colorTable = Bytes(1020, 0), b.pixels = {}; }), "", conversion},
        {with([](Bmp& b) { b.gap = 100, b.pixels = {}; }), "", conversion},  // the file ends where its pixels begin
        // Run-length streams without their end-of-picture code, with a delta or an absolute run cut short.
        {runLength({2, 0, 0, 0}), "", conversion}, {runLength({0, 2, 1}), "", conversion},
        {runLength({0, 4, 0, 0, 0}), "", conversion},
    };
    for (const auto& [file, path, message] : cases) {
        SCOPED_TRACE(message + " for a file of " + std::to_string(file.size()) + " bytes");
        EXPECT_EQ(load(file, path), std::nullopt);
        EXPECT_EQ(record::errorBoxes(), std::vector<std::string>{"Error|" + message});
    }
}

TEST(ImageLoader, LoadsTheGamesPicturesAtTheSizesTheScreensExpect)
{
    // The banner is 60 pixels high; a digit may be 31 wide, as the digits stand 31 apart.
    std::vector<std::tuple<std::string, int, int>> pictures = {{"menu", 1024, 768}, {"titulo_jogo", 330, 43},
        {"level_score", 352, 56}, {"normal", 160, 42}, {"hard", 160, 42}, {"ring", 64, 64}, {"pause", 322, 70}};
    for (char digit = '0'; digit <= '9'; ++digit)
        pictures.emplace_back(std::string(1, digit), 28, 51);
    auto size = [](const std::optional<Pixels>& p) { return p ? std::pair(std::get<0>(*p), std::get<1>(*p)) : std::pair(0, 0); };
    for (const auto& [name, width, height] : pictures)
        EXPECT_EQ(size(load({}, TARVIK_SOURCE_DIR "/img/" + name + ".dat")), std::pair(width, height)) << name;
}

}  // namespace
