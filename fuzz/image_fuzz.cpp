// Feeds arbitrary bytes to the BMP loader as a picture file. Besides what the
// sanitizers catch, a call must show exactly one message when it fails and
// none when it succeeds, and the picture it returns must hold all its pixels.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/RgbImage.h"
#include "support/Recorder.h"

namespace {

const std::string& scratchPath()
{
    static const std::string path = [] {
        char pattern[] = "/tmp/image-fuzz-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd < 0)
            std::abort();
        close(fd);
        std::atexit([] { unlink(scratchPath().c_str()); });
        return std::string(pattern);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Rewritten in place: truncating it to nothing first would make ext4
    // flush it to disk on every close, a hundred times slower.
    const std::string& path = scratchPath();
    int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size) ||
        ftruncate(fd, static_cast<off_t>(size)) != 0 || close(fd) != 0)
        std::abort();

    record::reset();
    RgbImage* image = loadRgbImage(path.c_str());
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
