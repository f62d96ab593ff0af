// Feeds arbitrary bytes to the BMP loader as a picture file. Besides what the
// sanitizers catch, a call must show exactly one message when it fails and
// none when it succeeds, and the picture it returns must hold all its pixels.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/RgbImage.h"
#include "support/Recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A file with no name in any folder, so that nothing stays behind however the fuzzer ends.
    static const int fd = memfd_create("picture", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || pwrite(fd, data, size, 0) != ssize_t(size) || ftruncate(fd, off_t(size)) != 0)
        std::abort();

    record::reset();
    RgbImage* image = loadRgbImage(path.c_str());
    if (record::errorBoxes().size() != (image ? 0u : 1u) || (image && (image->width <= 0 || image->height <= 0)))
        std::abort();
    if (image) {
        (void)*static_cast<volatile uint8_t*>(&image->data[size_t(image->width) * size_t(image->height) * 3 - 1]);
        std::free(image->data), std::free(image);
    }
    return 0;
}
