// IFF picture decoding. Why it is built so:
//
// - ByteRun1 is read as one stream over the whole BODY, not row by row: writers were
//   meant to end every run at a plane row's end, and several do not. A per-row decoder
//   would lose sync on such files; the stream decoder reads them and the strict ones
//   alike.
// - The image is decoded one row at a time from that stream, so the only allocation
//   sized by the header is the RGBA image itself, and it is made only after the header
//   has been checked against what the BODY's length could possibly hold.
// - HAM keeps the colour of the pixel to the left; each row starts from palette entry
//   0, as the display hardware did at the start of a scan line.
#include "content/IlbmPicture.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "content/IffReader.h"
#include "content/PictureFile.h"

namespace {

enum class IffKind { Ilbm, Pbm, Rgbn, Rgb8 };

// ByteRun1 at its best writes 128 bytes from 2.
constexpr uint64_t kByteRun1MaxRatio = 64;

struct IffPicture {
    IffKind kind = IffKind::Ilbm;
    bool hasHeader = false;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t planes = 0;
    uint8_t masking = 0;
    uint8_t compression = 0;
    uint16_t transparentColor = 0;
    uint8_t palette[256][3] = {};
    int32_t paletteCount = 0;
    bool hasDisplayMode = false;
    uint32_t displayMode = 0; // CAMG
    const uint8_t* body = nullptr;
    size_t bodySize = 0;
};

int32_t refuse(char* message, size_t size, const char* text) {
    if (message != nullptr && size > 0) {
        std::snprintf(message, size, "%s", text);
    }
    return 0;
}

// BODY bytes, stored or ByteRun1-compressed.
struct BodyStream {
    IffReader in;
    bool compressed = false;
    size_t literal = 0; // bytes still to copy
    size_t repeat = 0;  // times `value` is still to be written
    uint8_t value = 0;

    // Fills `n` bytes; false when the BODY ends first.
    bool read(uint8_t* out, size_t n) {
        if (!compressed) {
            if (in.remaining() < n) {
                return false;
            }
            std::memcpy(out, in.bytes + in.position, n);
            in.position += n;
            return true;
        }
        size_t done = 0;
        while (done < n) {
            if (literal > 0) {
                size_t k = literal < n - done ? literal : n - done;
                k = k < in.remaining() ? k : in.remaining();
                if (k == 0) {
                    return false;
                }
                std::memcpy(out + done, in.bytes + in.position, k);
                in.position += k;
                literal -= k;
                done += k;
            } else if (repeat > 0) {
                const size_t k = repeat < n - done ? repeat : n - done;
                std::memset(out + done, value, k);
                repeat -= k;
                done += k;
            } else {
                if (in.atEnd()) {
                    return false;
                }
                const int8_t code = static_cast<int8_t>(in.u1());
                if (code >= 0) {
                    literal = static_cast<size_t>(code) + 1;
                } else if (code != -128) {
                    if (in.atEnd()) {
                        return false;
                    }
                    value = in.u1();
                    repeat = static_cast<size_t>(1 - code);
                }
            }
        }
        return true;
    }
};

bool readChunks(const uint8_t* bytes, size_t size, IffPicture& picture) {
    IffReader file(bytes, size);
    char id[5];
    file.id4(id);
    const uint32_t formLength = file.u4();
    char type[5];
    file.id4(type);
    picture.kind = std::memcmp(type, "ILBM", 4) == 0   ? IffKind::Ilbm
                   : std::memcmp(type, "PBM ", 4) == 0 ? IffKind::Pbm
                   : std::memcmp(type, "RGBN", 4) == 0 ? IffKind::Rgbn
                                                       : IffKind::Rgb8;
    const size_t formRest = formLength >= 4 ? formLength - 4 : 0;
    IffReader form(bytes + file.position,
                   formRest < file.remaining() ? formRest : file.remaining());
    IffChunk chunk;
    while (form.chunk(chunk)) {
        IffReader data(chunk);
        if (chunk.is("BMHD") && chunk.size >= 20) {
            picture.hasHeader = true;
            picture.width = data.u2();
            picture.height = data.u2();
            data.skip(4); // x, y origin
            picture.planes = data.u1();
            picture.masking = data.u1();
            picture.compression = data.u1();
            data.skip(1);
            picture.transparentColor = data.u2();
        } else if (chunk.is("CMAP")) {
            picture.paletteCount =
                static_cast<int32_t>(chunk.size / 3 < 256 ? chunk.size / 3 : 256);
            bool anyLowNibble = false;
            for (int32_t i = 0; i < picture.paletteCount; ++i) {
                for (int c = 0; c < 3; ++c) {
                    picture.palette[i][c] = data.u1();
                    anyLowNibble |= (picture.palette[i][c] & 0x0F) != 0;
                }
            }
            if (!anyLowNibble) {
                for (int32_t i = 0; i < picture.paletteCount; ++i) {
                    for (int c = 0; c < 3; ++c) {
                        picture.palette[i][c] |= picture.palette[i][c] >> 4;
                    }
                }
            }
        } else if (chunk.is("CAMG") && chunk.size >= 4) {
            picture.hasDisplayMode = true;
            picture.displayMode = data.u4();
        } else if (chunk.is("BODY") && picture.body == nullptr) {
            picture.body = chunk.bytes;
            picture.bodySize = chunk.size;
        }
    }
    return true;
}

uint8_t widen(uint32_t value, int32_t bits) {
    return bits == 4 ? static_cast<uint8_t>(value * 17)
                     : static_cast<uint8_t>(value << 2 | value >> 4); // 6 bits
}

// One decoded row of plane bits: value of pixel x over `planes` planes from `row`.
uint32_t planeValue(const uint8_t* row, size_t rowBytes, int32_t firstPlane, int32_t planes,
                    int32_t x) {
    const size_t byte = static_cast<size_t>(x) >> 3;
    const int shift = 7 - (x & 7);
    uint32_t value = 0;
    for (int32_t p = 0; p < planes; ++p) {
        value |= static_cast<uint32_t>(row[(firstPlane + p) * rowBytes + byte] >> shift & 1) << p;
    }
    return value;
}

int32_t decodePlanar(const IffPicture& picture, RgbaImage& image, char* message,
                     size_t messageSize) {
    const bool pbm = picture.kind == IffKind::Pbm;
    const int32_t planes = picture.planes;
    if (pbm ? planes != 8 : !((planes >= 1 && planes <= 8) || planes == 24 || planes == 32)) {
        return refuse(message, messageSize, "IFF picture with an unsupported number of bit planes");
    }
    if (picture.compression > 1) {
        return refuse(message, messageSize, "IFF picture with an unknown compression");
    }
    const int32_t width = picture.width;
    const int32_t height = picture.height;
    const size_t rowBytes =
        pbm ? static_cast<size_t>(width + (width & 1)) : static_cast<size_t>((width + 15) / 16 * 2);
    const bool maskPlane = !pbm && picture.masking == 1;
    const size_t rowSize = pbm ? rowBytes : rowBytes * (planes + (maskPlane ? 1 : 0));
    const uint64_t bodyNeeded = static_cast<uint64_t>(rowSize) * height;
    const uint64_t bodyCanHold =
        picture.compression == 0 ? picture.bodySize : picture.bodySize * kByteRun1MaxRatio + 128;
    if (bodyNeeded > bodyCanHold) {
        return refuse(message, messageSize, "IFF picture whose BODY is too short for its size");
    }
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowSize]);
    if (row == nullptr || !image.allocate(width, height)) {
        return refuse(message, messageSize, "not enough memory for the IFF picture");
    }

    const bool ham = planes <= 8 && !pbm && (picture.displayMode & 0x800) != 0 && planes >= 3;
    const bool halfBrite = planes == 6 && !ham &&
                           ((picture.displayMode & 0x80) != 0 ||
                            (!picture.hasDisplayMode && picture.paletteCount <= 32));
    const int32_t hamBits = planes - 2;
    const uint32_t colours = planes <= 8 ? 1u << planes : 0;

    BodyStream stream;
    stream.in = IffReader(picture.body, picture.bodySize);
    stream.compressed = picture.compression == 1;
    for (int32_t y = 0; y < height; ++y) {
        if (!stream.read(row.get(), rowSize)) {
            image.allocate(0, 0);
            return refuse(message, messageSize, "IFF picture whose BODY ends early");
        }
        uint8_t held[3] = {picture.palette[0][0], picture.palette[0][1], picture.palette[0][2]};
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* out = image.at(x, y);
            out[3] = 255;
            if (planes > 8) {
                const uint32_t rgb = planeValue(row.get(), rowBytes, 0, 24, x);
                out[0] = static_cast<uint8_t>(rgb);
                out[1] = static_cast<uint8_t>(rgb >> 8);
                out[2] = static_cast<uint8_t>(rgb >> 16);
                if (planes == 32) {
                    out[3] = static_cast<uint8_t>(planeValue(row.get(), rowBytes, 24, 8, x));
                }
            } else {
                const uint32_t value = pbm ? row[static_cast<size_t>(x)]
                                           : planeValue(row.get(), rowBytes, 0, planes, x);
                if (ham) {
                    const uint32_t control = value >> hamBits;
                    const uint32_t data = value & ((1u << hamBits) - 1);
                    if (control == 0) {
                        const bool known = static_cast<int32_t>(data) < picture.paletteCount;
                        for (int c = 0; c < 3; ++c) {
                            held[c] = known ? picture.palette[data][c] : 0;
                        }
                    } else {
                        held[control == 1 ? 2 : (control == 2 ? 0 : 1)] = widen(data, hamBits);
                    }
                    std::memcpy(out, held, 3);
                } else {
                    const uint32_t index = halfBrite ? value & 31 : value;
                    if (picture.paletteCount == 0) {
                        const uint8_t grey =
                            static_cast<uint8_t>(value * 255 / (colours - 1 > 0 ? colours - 1 : 1));
                        out[0] = out[1] = out[2] = grey;
                    } else if (static_cast<int32_t>(index) < picture.paletteCount) {
                        for (int c = 0; c < 3; ++c) {
                            const uint8_t entry = picture.palette[index][c];
                            out[c] =
                                halfBrite && value >= 32 ? static_cast<uint8_t>(entry >> 1) : entry;
                        }
                    } else {
                        out[0] = out[1] = out[2] = 0;
                    }
                    if (picture.masking == 2 && value == picture.transparentColor) {
                        out[3] = 0;
                    }
                }
            }
            if (maskPlane && planeValue(row.get(), rowBytes, planes, 1, x) == 0) {
                out[3] = 0;
            }
        }
    }
    return 1;
}

// One RGBN or RGB8 record: a pixel and how often it is written (0: end of data).
uint32_t readRunLengthRecord(IffReader& in, bool rgb8, uint8_t pixel[4]) {
    uint32_t count;
    if (rgb8) {
        pixel[0] = in.u1();
        pixel[1] = in.u1();
        pixel[2] = in.u1();
        const uint8_t last = in.u1();
        pixel[3] = (last & 0x80) != 0 ? 0 : 255;
        count = last & 0x7F;
    } else {
        const uint16_t word = in.u2();
        pixel[0] = static_cast<uint8_t>((word >> 12 & 15) * 17);
        pixel[1] = static_cast<uint8_t>((word >> 8 & 15) * 17);
        pixel[2] = static_cast<uint8_t>((word >> 4 & 15) * 17);
        pixel[3] = (word & 8) != 0 ? 0 : 255;
        count = word & 7;
    }
    if (count == 0) {
        count = in.u1();
        if (count == 0) {
            count = in.u2();
        }
    }
    return in.overrun ? 0 : count;
}

int32_t decodeRunLengthRgb(const IffPicture& picture, RgbaImage& image, char* message,
                           size_t messageSize) {
    if (picture.compression != 4) {
        return refuse(message, messageSize, "RGBN or RGB8 picture with a compression other than 4");
    }
    const bool rgb8 = picture.kind == IffKind::Rgb8;
    const int64_t total = static_cast<int64_t>(picture.width) * picture.height;
    // A first pass counts what the BODY describes: a single record may stand for 65535
    // pixels, so only the data itself can tell a real image from a lying header.
    uint8_t pixel[4];
    int64_t described = 0;
    for (IffReader in(picture.body, picture.bodySize); described < total;) {
        const uint32_t count = readRunLengthRecord(in, rgb8, pixel);
        if (count == 0) {
            break;
        }
        described += count;
    }
    if (described < total) {
        return refuse(message, messageSize, "IFF picture whose BODY ends early");
    }
    if (!image.allocate(picture.width, picture.height)) {
        return refuse(message, messageSize, "not enough memory for the IFF picture");
    }
    IffReader in(picture.body, picture.bodySize);
    for (int64_t at = 0; at < total;) {
        for (uint32_t count = readRunLengthRecord(in, rgb8, pixel); count > 0 && at < total;
             --count, ++at) {
            std::memcpy(image.pixels.get() + at * 4, pixel, 4);
        }
    }
    return 1;
}

} // namespace

bool isIffPicture(const uint8_t* bytes, size_t size) {
    if (size < 12 || std::memcmp(bytes, "FORM", 4) != 0) {
        return false;
    }
    const uint8_t* type = bytes + 8;
    return std::memcmp(type, "ILBM", 4) == 0 || std::memcmp(type, "PBM ", 4) == 0 ||
           std::memcmp(type, "RGBN", 4) == 0 || std::memcmp(type, "RGB8", 4) == 0;
}

int32_t decodeIffPicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                         size_t messageSize) {
    image.allocate(0, 0);
    if (!isIffPicture(bytes, size)) {
        return refuse(message, messageSize, "not an IFF picture");
    }
    const auto picture = std::make_unique<IffPicture>();
    readChunks(bytes, size, *picture);
    if (!picture->hasHeader) {
        return refuse(message, messageSize, "IFF picture without a BMHD header");
    }
    if (picture->body == nullptr) {
        return refuse(message, messageSize, "IFF picture without a BODY");
    }
    if (picture->width < 1 || picture->height < 1 || picture->width > kMaxImageSide ||
        picture->height > kMaxImageSide ||
        static_cast<int64_t>(picture->width) * picture->height > kMaxPicturePixels) {
        return refuse(message, messageSize, "IFF picture of an unsupported size");
    }
    const bool runLength = picture->kind == IffKind::Rgbn || picture->kind == IffKind::Rgb8;
    return runLength ? decodeRunLengthRgb(*picture, image, message, messageSize)
                     : decodePlanar(*picture, image, message, messageSize);
}
