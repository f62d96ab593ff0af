// Reads BMP pictures in place, through a read-only mapping of the file, and
// converts their pixels straight into the packed bottom-up RGB of RgbImage.
// Every read is checked against the file's length first: a file that ends too
// early fails like any other unusable file, with one message.
#include "image/RgbImage.h"

#include "image/BmpPixels.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* MESSAGE_OUT_OF_MEMORY = "Out of memory.";
constexpr const char* MESSAGE_UNKNOWN_FORMAT = "Unknown DIB file format.";
constexpr const char* MESSAGE_CONVERSION_ERROR = "Image file conversion error.";
constexpr std::size_t MESSAGE_CAPACITY = 256;

constexpr std::size_t FILE_HEADER_SIZE = 14;
constexpr std::size_t PIXEL_OFFSET_FIELD = 10;
constexpr uint32_t CORE_HEADER_SIZE = 12;
constexpr uint32_t INFO_HEADER_SIZE = 40;
constexpr std::size_t CORE_COLOR_ENTRY_SIZE = 3;
constexpr std::size_t INFO_COLOR_ENTRY_SIZE = 4;
// Far beyond any picture a 1024 x 768 game shows: a header asking for more is
// broken, and allocating for it would only hurt.
constexpr uint64_t MAX_PIXEL_BYTES = uint64_t{256} << 20;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return le16(p) | static_cast<uint32_t>(le16(p + 2)) << 16; }

// The size of a colour table that the header does not give explicitly.
uint16_t defaultColorCount(uint16_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// The file's description in the shape of an info header, whichever of the
// two headers the file has.
struct WorkingHeader {
    int32_t width = 0;
    int32_t height = 0;  // negative when the top row is stored first
    uint16_t bitsPerPixel = 0;
    uint32_t compression = COMPRESSION_NONE;
    uint16_t colorCount = 0;  // entries in the colour table
    std::size_t colorTableOffset = 0;
    std::size_t colorEntrySize = 0;
    std::size_t pixelOffset = 0;  // where the pixel array begins in the file
};

struct FileView {
    const uint8_t* data;
    std::size_t size;

    bool holds(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
};

// False when the file has neither of the two headers, or is too short to hold
// the one it announces.
bool readHeader(const FileView& file, WorkingHeader& header)
{
    bool hasFileHeader = file.holds(0, 2) && file.data[0] == 'B' && file.data[1] == 'M';
    std::size_t dibStart = hasFileHeader ? FILE_HEADER_SIZE : 0;
    if (!file.holds(dibStart, 4))
        return false;
    const uint8_t* dib = file.data + dibStart;
    uint32_t dibSize = le32(dib);
    if ((dibSize != CORE_HEADER_SIZE && dibSize != INFO_HEADER_SIZE) || !file.holds(dibStart, dibSize))
        return false;

    if (dibSize == CORE_HEADER_SIZE) {
        header.width = le16(dib + 4);
        header.height = le16(dib + 6);
        header.bitsPerPixel = le16(dib + 10);
        header.colorCount = defaultColorCount(header.bitsPerPixel);
        header.colorEntrySize = CORE_COLOR_ENTRY_SIZE;
    } else {
        header.width = static_cast<int32_t>(le32(dib + 4));
        header.height = static_cast<int32_t>(le32(dib + 8));
        header.bitsPerPixel = le16(dib + 14);
        header.compression = le32(dib + 16);
        uint32_t colorsUsed = le32(dib + 32);
        // Only the low 16 bits count, as they always have for this format.
        header.colorCount = colorsUsed != 0 ? static_cast<uint16_t>(colorsUsed)
                                            : defaultColorCount(header.bitsPerPixel);
        header.colorEntrySize = INFO_COLOR_ENTRY_SIZE;
    }
    header.colorTableOffset = dibStart + dibSize;
    header.pixelOffset = hasFileHeader ? le32(file.data + PIXEL_OFFSET_FIELD)
                                       : header.colorTableOffset + header.colorEntrySize * header.colorCount;
    return true;
}

// Colours past the end of the table stay black.
void readPalette(const FileView& file, const WorkingHeader& header, Color palette[PALETTE_SIZE])
{
    std::memset(palette, 0, sizeof(Color) * PALETTE_SIZE);
    const uint8_t* entry = file.data + header.colorTableOffset;
    for (std::size_t i = 0; i < header.colorCount && i < PALETTE_SIZE; ++i, entry += header.colorEntrySize)
        palette[i] = Color{entry[2], entry[1], entry[0], 0};
}

bool isSupported(const WorkingHeader& header)
{
    switch (header.compression) {
    case COMPRESSION_NONE: return rowConverterFor(header.bitsPerPixel) != nullptr;
    // Run-length pictures are bottom-up by definition.
    case COMPRESSION_RLE8: return header.bitsPerPixel == 8 && header.height > 0;
    case COMPRESSION_RLE4: return header.bitsPerPixel == 4 && header.height > 0;
    default: return false;
    }
}

uint64_t storedRowBytes(const WorkingHeader& header)
{
    return (static_cast<uint64_t>(header.width) * header.bitsPerPixel + 31) / 32 * 4;
}

// What of the file the pixel array must cover; a run-length stream is bounded
// while it is decoded instead. The padding of the last row may be missing.
uint64_t requiredPixelBytes(const WorkingHeader& header, uint32_t rows)
{
    if (header.compression != COMPRESSION_NONE)
        return 0;
    uint64_t pixelsOfLastRow = (static_cast<uint64_t>(header.width) * header.bitsPerPixel + 7) / 8;
    return storedRowBytes(header) * (rows - 1) + pixelsOfLastRow;
}

void convertRows(const FileView& file, const WorkingHeader& header, uint32_t rows, const Color* palette,
                 uint8_t* out)
{
    RowConverter convert = rowConverterFor(header.bitsPerPixel);
    auto width = static_cast<uint32_t>(header.width);
    std::size_t outRowBytes = std::size_t{width} * 3;
    auto sourceStride = static_cast<std::size_t>(storedRowBytes(header));
    const uint8_t* source = file.data + header.pixelOffset;
    // A top-down file fills the output from its last row backwards, so the
    // picture still comes out bottom row first.
    bool topDown = header.height < 0;
    uint8_t* target = topDown ? out + outRowBytes * (rows - 1) : out;
    std::ptrdiff_t targetStep = topDown ? -static_cast<std::ptrdiff_t>(outRowBytes)
                                        : static_cast<std::ptrdiff_t>(outRowBytes);
    for (uint32_t row = 0; row < rows; ++row, source += sourceStride, target += targetStep)
        convert(source, target, width, palette);
}

std::nullptr_t fail(const char* message)
{
    showErrorBox(ERROR_CAPTION, message);
    return nullptr;
}

RgbImage* decode(const FileView& file)
{
    WorkingHeader header;
    if (!readHeader(file, header))
        return fail(MESSAGE_UNKNOWN_FORMAT);

    // Sizes no pixel surface can be made for.
    if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN)
        return fail(MESSAGE_OUT_OF_MEMORY);
    auto rows = static_cast<uint32_t>(header.height < 0 ? -header.height : header.height);
    uint64_t pixelBytes = static_cast<uint64_t>(header.width) * rows * 3;
    if (pixelBytes > MAX_PIXEL_BYTES)
        return fail(MESSAGE_OUT_OF_MEMORY);

    // A run-length stream is read through once before anything is allocated
    // for it, so that a broken one fails here like any other that cannot be
    // converted.
    bool runLength = header.compression != COMPRESSION_NONE;
    auto decodeStream = [&](const Color* palette, uint8_t* out) {
        return decodeRunLength(file.data + header.pixelOffset, file.size - header.pixelOffset, header.compression,
                               static_cast<uint32_t>(header.width), rows, palette, out);
    };
    if (!isSupported(header) || !file.holds(header.colorTableOffset, header.colorEntrySize * header.colorCount) ||
        !file.holds(header.pixelOffset, requiredPixelBytes(header, rows)) ||
        (runLength && !decodeStream(nullptr, nullptr)))
        return fail(MESSAGE_CONVERSION_ERROR);
    Color palette[PALETTE_SIZE];
    readPalette(file, header, palette);

    // What a run-length stream skips stays black; zeroed memory also costs
    // nothing for the parts it never paints.
    auto size = static_cast<std::size_t>(pixelBytes);
    auto* data = static_cast<uint8_t*>(runLength ? std::calloc(size, 1) : std::malloc(size));
    if (!data)
        return fail(MESSAGE_OUT_OF_MEMORY);
    if (runLength)
        decodeStream(palette, data);
    else
        convertRows(file, header, rows, palette, data);

    auto* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (!image) {
        std::free(data);
        return fail(MESSAGE_OUT_OF_MEMORY);
    }
    *image = RgbImage{header.width, static_cast<int32_t>(rows), data};
    return image;
}

}  // namespace

RgbImage* loadRgbImage(const char* path)
{
    MappedFile file;
    if (!mapFileReadOnly(path, file)) {
        char message[MESSAGE_CAPACITY];
        std::snprintf(message, sizeof message, "Failed to open DIB file %s.\n", path);
        return fail(message);
    }
    RgbImage* image = decode(FileView{file.data, file.size});
    unmapFile(file);
    return image;
}
