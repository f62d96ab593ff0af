// Loading a full-screen picture from the page cache: the loader against
// stb_image reading the same file, and against a plain copy of as many bytes
// as the loader outputs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
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

// A bottom-up BMP of noise at 8 or 24 bits a pixel. Its file has no name
// left in any folder, so nothing stays behind; it is opened by its
// descriptor's path.
std::string pictureFile(int bitsPerPixel)
{
    static std::map<int, std::string> made;
    if (made.count(bitsPerPixel))
        return made[bitsPerPixel];
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

    char pattern[] = "/tmp/image-bench-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0 || unlink(pattern) != 0 || write(fd, file.data(), file.size()) != ssize_t(file.size()))
        std::abort();
    return made[bitsPerPixel] = "/proc/self/fd/" + std::to_string(fd);
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
