// The SURF chunk reader.
//
// Sub-chunks are found the way the player always found them: a four-byte window slides
// over the chunk one byte at a time, and whenever it spells one of the known tags the
// tag's handler reads the data behind it. The window holds only the bytes the scan read
// (not those a handler read) and is not cleared after a handler, so "COLR" followed by
// the bytes "EFL" is a REFL tag. The u16 sub-chunk lengths are read and ignored; a
// handler reads the data it knows and the scan goes on behind it, over any data it did
// not read. Unknown sub-chunks are scanned over. Byte positions, and with them which
// tags are seen, must stay exactly so: content was authored against this reader.
//
// Mode: CTEX names the colour texture's projection; the projection parameters and
// the image that follow it are taken only while that mode is a supported mapping, and
// every other ...TEX sub-chunk (BTEX, DTEX ...) ends it. That is why a bump texture
// after the colour texture leaves a surface without texture mapping.
//
// Deliberate limits: the chunk's scan never reads past its length (a name that fills
// the chunk gets no pad byte and no scan behind it); handlers may, as they always did.
// A length that runs past the end of the file is read up to the end of the file: the
// player's scan went on counting the bytes it could not read, and found no tag in them.
// A chunk whose name matches no SRFS name is read into a scratch record that is then
// dropped, and loads no image, so byte positions stay the same as for a named chunk.
#include "object/SurfaceReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Diagnostics.h"
#include "texture/TextureTable.h"

namespace {

constexpr float kByteFraction = 0.00390625f; // 1/256
constexpr int32_t kTextSize = 256;           // texts kept: 255 bytes and the terminator

enum class SubChunk {
    None,
    Color,          // COLR
    TextureKind,    // any ...TEX
    TextureImage,   // TIMG
    TextureFlags,   // TFLG
    TextureSize,    // TSIZ
    TextureCenter,  // TCTR
    WrapWidth,      // TFP0
    WrapHeight,     // TFP1
    Flags,          // FLAG
    Luminosity,     // LUMI
    SmoothingAngle, // SMAN
    Transparency,   // TRAN
    Reflection,     // REFL
    ReflectionImage // RIMG
};

SubChunk subChunkIn(const TagWindow& window) {
    switch (window.bytes[3]) {
    case 'R':
        return window.holds("COLR")   ? SubChunk::Color
               : window.holds("TCTR") ? SubChunk::TextureCenter
                                      : SubChunk::None;
    case 'X':
        return window.endsWith("TEX") ? SubChunk::TextureKind : SubChunk::None;
    case 'G':
        return window.holds("TIMG")   ? SubChunk::TextureImage
               : window.holds("TFLG") ? SubChunk::TextureFlags
               : window.holds("FLAG") ? SubChunk::Flags
               : window.holds("RIMG") ? SubChunk::ReflectionImage
                                      : SubChunk::None;
    case 'Z':
        return window.holds("TSIZ") ? SubChunk::TextureSize : SubChunk::None;
    case '0':
        return window.holds("TFP0") ? SubChunk::WrapWidth : SubChunk::None;
    case '1':
        return window.holds("TFP1") ? SubChunk::WrapHeight : SubChunk::None;
    case 'I':
        return window.holds("LUMI") ? SubChunk::Luminosity : SubChunk::None;
    case 'N':
        return window.holds("SMAN")   ? SubChunk::SmoothingAngle
               : window.holds("TRAN") ? SubChunk::Transparency
                                      : SubChunk::None;
    case 'L':
        return window.holds("REFL") ? SubChunk::Reflection : SubChunk::None;
    default:
        return SubChunk::None;
    }
}

// A zero-terminated text padded to an even length; keeps its first 255 bytes. The end
// of the file reads as a terminator, so this always ends.
void readText(ObjectFile& file, char (&text)[kTextSize]) {
    int64_t length = 0; // bytes with the terminator
    int32_t kept = 0;
    for (;;) {
        const uint8_t c = readByte(file);
        ++length;
        if (c == 0) {
            break;
        }
        if (kept < kTextSize - 1) {
            text[kept++] = static_cast<char>(c);
        }
    }
    text[kept] = '\0';
    if (length % 2 == 1) {
        readByte(file);
    }
}

// The texture mode a CTEX text selects: 1 planar, 2 cylindrical, 3 spherical, 0 other.
int32_t mappingNamed(const char* text) {
    if (std::strcmp(text, "Planar Image Map") == 0) {
        return 1;
    }
    if (std::strcmp(text, "Cylindrical Image Map") == 0) {
        return 2;
    }
    if (std::strcmp(text, "Spherical Image Map") == 0) {
        return 3;
    }
    return 0;
}

// What the smoothing angle line shows after "decimal form": the angle in whole degrees,
// rounded (0 for an angle that has none).
int32_t wholeDegrees(double degrees) {
    if (!(std::fabs(degrees) < 2147483647.0)) {
        return 0;
    }
    return static_cast<int32_t>(std::lround(degrees));
}

struct SurfaceChunkReader {
    ObjectFile& file;
    Surface& surface;
    TextureTable* textures; // nullptr: the chunk names no surface; load no image
    int32_t mode = 0;       // 0 none, 1 planar, 2 cylindrical, 3 spherical

    void read3(float (&values)[3]) {
        values[0] = readBigEndianFloat(file);
        values[1] = readBigEndianFloat(file);
        values[2] = readBigEndianFloat(file);
    }

    void handle(SubChunk kind, const TagWindow& window) {
        char text[kTextSize];
        switch (kind) {
        case SubChunk::None:
            break;
        case SubChunk::Color: {
            traceLoader("COLR\n");
            readBigEndianU16(file);
            const int32_t r = readByte(file);
            const int32_t g = readByte(file);
            const int32_t b = readByte(file);
            readByte(file);
            surface.color[0] = static_cast<float>(r) * kByteFraction;
            surface.color[1] = static_cast<float>(g) * kByteFraction;
            surface.color[2] = static_cast<float>(b) * kByteFraction;
            traceLoader("r:%d g:%d b:%d\n", r, g, b);
            break;
        }
        case SubChunk::TextureKind: {
            readBigEndianU16(file);
            readText(file, text);
            if (window.bytes[0] == 'C') {
                mode = mappingNamed(text);
            } else if (window.bytes[0] == 'B') {
                mode = 0;
            } else {
                const char tag[5] = {window.bytes[0], window.bytes[1], window.bytes[2],
                                     window.bytes[3], '\0'};
                traceLoader("Unsuported texturemode:%s\n", tag);
                mode = 0;
            }
            break;
        }
        case SubChunk::TextureImage:
            traceLoader("TIMG\n");
            readBigEndianU16(file);
            readText(file, text);
            if (mode != 0 && textures != nullptr) {
                surface.colorTexture = textures->loadTexture(text);
            }
            surface.textureMapping = mode;
            break;
        case SubChunk::TextureFlags: {
            traceLoader("TFLG\n");
            readBigEndianU16(file);
            const uint16_t flags = readBigEndianU16(file);
            if (mode != 0) {
                switch (flags & 7) {
                case 1:
                    surface.textureAxis = 1;
                    break;
                case 2:
                    surface.textureAxis = 2;
                    break;
                case 4:
                    surface.textureAxis = 3;
                    break;
                default:
                    traceLoader("Error in textureaxis\n");
                    break;
                }
            }
            break;
        }
        case SubChunk::TextureSize:
            traceLoader("TSIZ\n");
            readBigEndianU16(file);
            if (mode != 0) {
                read3(surface.textureSize);
            }
            break;
        case SubChunk::TextureCenter:
            traceLoader("TCTR\n");
            readBigEndianU16(file);
            if (mode != 0) {
                read3(surface.textureCenter);
            }
            break;
        case SubChunk::WrapWidth:
            traceLoader("TFP0\n");
            readBigEndianU16(file);
            if (mode != 0) {
                surface.textureWrapWidth = readBigEndianFloat(file);
            }
            traceLoader("%f WRAP VALUE\n", static_cast<double>(surface.textureWrapWidth));
            break;
        case SubChunk::WrapHeight:
            traceLoader("TFP1\n");
            readBigEndianU16(file);
            if (mode != 0) {
                surface.textureWrapHeight = readBigEndianFloat(file);
            }
            traceLoader("%f WRAPH VALUE\n", static_cast<double>(surface.textureWrapHeight));
            break;
        case SubChunk::Flags: {
            traceLoader("FLAG\n");
            readBigEndianU16(file);
            const uint16_t flags = readBigEndianU16(file);
            surface.luminosity = flags & 1;
            surface.smoothing = flags & 4;
            traceLoader("This flag is 0x%x\n", static_cast<unsigned>(flags));
            if ((flags & 0x100) != 0) {
                surface.doubleSided = 1;
                traceLoader("Doublesided\n");
            }
            if ((flags & 0x200) != 0) {
                surface.additive = 1;
                traceLoader("additive\n");
            }
            break;
        }
        case SubChunk::Luminosity:
            traceLoader("LUMI\n");
            readBigEndianU16(file);
            surface.luminosity = readBigEndianU16(file);
            break;
        case SubChunk::SmoothingAngle: {
            traceLoader("SMAN\n");
            readBigEndianU16(file);
            const float radians = readBigEndianFloat(file);
            const double degrees = static_cast<double>(radians) * 360.0 * 0.15915494309189535;
            traceLoader("Smoothing angle = %f decimal form = %d\n", degrees, wholeDegrees(degrees));
            break;
        }
        case SubChunk::Transparency:
            traceLoader("TRAN\n");
            readBigEndianU16(file);
            surface.transparency = static_cast<float>(readBigEndianU16(file)) * kByteFraction;
            surface.transparent = 1;
            break;
        case SubChunk::Reflection:
            traceLoader("REFL\n");
            readBigEndianU16(file);
            surface.reflectivity = static_cast<float>(readBigEndianU16(file)) * kByteFraction;
            surface.reflective = 1;
            break;
        case SubChunk::ReflectionImage:
            traceLoader("RIMG\n");
            readBigEndianU16(file);
            readText(file, text);
            if (textures != nullptr) {
                surface.reflectionTexture = textures->loadTexture(text);
            }
            break;
        }
    }
};

} // namespace

void sortSurfaceNames(const char (*names)[kSurfaceNameSize], int32_t count, int32_t* order) {
    for (int32_t i = 0; i < count; ++i) {
        order[i] = i;
    }
    std::sort(order, order + count, [names](int32_t a, int32_t b) {
        const int c = std::strcmp(names[a], names[b]);
        return c < 0 || (c == 0 && a < b);
    });
}

int32_t SurfaceNameTable::find(const char* name) const {
    const int32_t* end = order + count;
    const int32_t* after = std::upper_bound(order, end, name, [this](const char* n, int32_t i) {
        return std::strcmp(n, names[i]) < 0;
    });
    if (after == order || std::strcmp(names[after[-1]], name) != 0) {
        return -1;
    }
    return after[-1]; // equal names are ordered by index: this is the last of them
}

void readSurfaceChunk(ObjectFile& file, Surface* surfaces, const SurfaceNameTable& names,
                      TextureTable& textures) {
    traceLoader("SURF\n");
    uint32_t rawLength = 0;
    const int32_t complete = readChunkLength(file, rawLength);
    const int32_t length = static_cast<int32_t>(rawLength);
    if (length < 1 || complete == 0) {
        return;
    }
    // Where the byte count reaches the length, or the end of the file: the bytes a
    // longer length claims are not there, and no tag can be read from them.
    const int64_t end = file.position + std::min<int64_t>(length, remainingBytes(file));

    char name[kMaxSurfaceNameLength + 1];
    int32_t kept = 0;
    int64_t nameBytes = 0; // with the terminator
    int32_t terminated = 0;
    while (file.position < end) {
        const uint8_t c = readByte(file);
        ++nameBytes;
        if (c == 0) {
            terminated = 1;
            break;
        }
        if (kept < kMaxSurfaceNameLength) {
            name[kept++] = static_cast<char>(c);
        }
    }
    name[kept] = '\0';
    if (terminated == 1 && nameBytes % 2 == 1 && file.position < end) {
        readByte(file);
    }

    const int32_t index = names.find(name);
    Surface scratch;
    Surface& surface = index >= 0 ? surfaces[index] : scratch;
    if (index >= 0) {
        surface.smoothing = 0;
        surface.additive = 0;
        surface.reflective = 0;
        surface.textureMapping = 0;
        surface.transparent = 0;
        surface.doubleSided = 0;
    }
    SurfaceChunkReader reader{file, surface, index >= 0 ? &textures : nullptr};

    TagWindow window;
    while (file.position < end) {
        SubChunk kind = SubChunk::None;
        do {
            window.push(static_cast<char>(readByte(file)));
            kind = subChunkIn(window);
        } while (kind == SubChunk::None && file.position < end);
        reader.handle(kind, window);
    }
}
