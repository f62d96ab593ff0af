// Feeds arbitrary bytes to the BMP loader as a picture file. Besides what the
// sanitizers catch, a call must show exactly one message when it fails and
// none when it succeeds, and the picture it returns must hold all its pixels.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/RgbImage.h"
#include "support/Recorder.h"

namespace {

// The input goes into a file that has no name left in any folder, so that
// nothing stays behind however the fuzzer ends; the loader opens it by its
// descriptor's path.
struct Scratch {
    int fd = -1;
    std::string path;
};

const Scratch& scratch()
{
    static const Scratch file = [] {
        char pattern[] = "/tmp/image-fuzz-XXXXXX";
        Scratch made{mkstemp(pattern), ""};
        if (made.fd < 0 || unlink(pattern) != 0)
            std::abort();
        made.path = "/proc/self/fd/" + std::to_string(made.fd);
        return made;
    }();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Rewritten in place: truncating it to nothing first would make ext4
    // flush it to disk on every close, a hundred times slower.
    const Scratch& file = scratch();
    if (pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size) ||
        ftruncate(file.fd, static_cast<off_t>(size)) != 0)
        std::abort();

    record::reset();
    RgbImage* image = loadRgbImage(file.path.c_str());
    if (record::errorBoxes().size() != (image ? 0u : 1u))
        std::abort();
    if (image) {
        if (image->width <= 0 || image->height <= 0)
            std::abort();
        std::size_t bytes = std::size_t(image->width) * std::size_t(image->height) * 3;
        volatile uint8_t last = image->data[bytes - 1];
        (void)last;
        std::free(image->data);
        std::free(image);
    }
    return 0;
}
