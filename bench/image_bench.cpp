// Loading a full-screen picture from the page cache: the loader against
// stb_image reading the same file, and against a plain copy of as many bytes
// as the loader outputs.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/RgbImage.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr std::size_t OUTPUT_BYTES = std::size_t{WIDTH} * HEIGHT * 3;

void put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> 8 * i));
}

// A bottom-up BMP of noise at 8 or 24 bits a pixel, written once per run.
std::string pictureFile(int bitsPerPixel)
{
    static std::string folder = [] {
        char pattern[] = "/tmp/image-bench-XXXXXX";
        std::string made = mkdtemp(pattern);
        std::atexit([] { std::system(("rm -rf " + folder).c_str()); });
        return made;
    }();
    std::string path = folder + "/" + std::to_string(bitsPerPixel) + ".bmp";
    if (access(path.c_str(), R_OK) == 0)
        return path;
    uint32_t tableBytes = bitsPerPixel == 8 ? 1024 : 0;
    uint32_t pixelBytes = WIDTH * bitsPerPixel / 8 * HEIGHT;
    std::vector<uint8_t> file = {'B', 'M'};
    put32(file, 54 + tableBytes + pixelBytes), put32(file, 0), put32(file, 54 + tableBytes);
    put32(file, 40), put32(file, WIDTH), put32(file, HEIGHT), put32(file, 1 | bitsPerPixel << 16);
    for (int i = 0; i < 6; ++i)
        put32(file, 0);
    uint32_t seed = 1;
    for (uint32_t i = 0; i < tableBytes + pixelBytes; ++i)
        file.push_back(uint8_t((seed = seed * 1664525u + 1013904223u) >> 24));
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    return path;
}

void loadRgbImageBench(benchmark::State& state)
{
    std::string path = pictureFile(int(state.range(0)));
    for (auto _ : state) {
        RgbImage* image = loadRgbImage(path.c_str());
        benchmark::DoNotOptimize(image->data);
        std::free(image->data);
        std::free(image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(OUTPUT_BYTES));
}

void stbiLoadBench(benchmark::State& state)
{
    std::string path = pictureFile(int(state.range(0)));
    for (auto _ : state) {
        int width, height, channels;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(OUTPUT_BYTES));
}

void memcpyBench(benchmark::State& state)
{
    std::vector<uint8_t> from(OUTPUT_BYTES, 1), to(OUTPUT_BYTES);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), OUTPUT_BYTES);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(OUTPUT_BYTES));
}

}  // namespace

BENCHMARK(loadRgbImageBench)->Arg(24)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(stbiLoadBench)->Arg(24)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(memcpyBench)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
