// LwobWriter: builds LightWave object (LWOB) files byte by byte.
//
// For tests, benchmarks and the demo content generator: every chunk the player reads
// (PNTS, POLS, SRFS, SURF with any sub-chunks), foreign chunks, and arbitrary bytes,
// in any order, with or without the FORM header. Chunks are written in the order they
// are added; nothing is checked, so malformed files (wrong lengths, polygons that are
// not triangles, tags inside data) are as easy to make as good ones.
//
// Usage:
//   LwobWriter lwob;
//   lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
//       .surfaceNames({"Floor"})
//       .polygons({{{0, 1, 2}, 1}})                  // point indices, 1-based surface
//       .surface("Floor", LwobSurface().color(255, 128, 0).flags(0x104));
//   lwob.write("objects/floor.lwo");                 // or lwob.bytes()
//
// Values are big-endian as in the format: floats in object units, surface numbers
// 1-based, u16 sub-chunk lengths computed from the data given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lwob {

std::string u16(uint16_t value);
std::string u32(uint32_t value);
std::string f32(float value);
// Zero-terminated text padded to an even length, as names and texture texts are stored.
std::string paddedText(const std::string& text);

} // namespace lwob

// One polygon: its point indices (any number; the player accepts only three) and its
// 1-based surface number.
struct LwobPolygon {
    std::vector<uint16_t> points;
    uint16_t surface = 1;
};

// The sub-chunks of one SURF chunk, in the order added.
class LwobSurface {
public:
    // Any sub-chunk: tag, u16 length of `data`, data.
    LwobSurface& subChunk(const std::string& tag, const std::string& data);
    // Bytes added as they are (no tag, no length).
    LwobSurface& raw(const std::string& bytes);

    LwobSurface& color(uint8_t r, uint8_t g, uint8_t b);                   // COLR
    LwobSurface& flags(uint16_t value);                                    // FLAG
    LwobSurface& luminosity(uint16_t value);                               // LUMI (256 = 100 %)
    LwobSurface& transparency(uint16_t value);                             // TRAN
    LwobSurface& reflection(uint16_t value);                               // REFL
    LwobSurface& smoothingAngle(float radians);                            // SMAN
    LwobSurface& texture(const std::string& tag, const std::string& kind); // CTEX, BTEX ...
    LwobSurface& textureImage(const std::string& name);                    // TIMG
    LwobSurface& textureFlags(uint16_t value);                             // TFLG (1 X, 2 Y, 4 Z)
    LwobSurface& textureSize(float x, float y, float z);                   // TSIZ
    LwobSurface& textureCenter(float x, float y, float z);                 // TCTR
    LwobSurface& wrapWidth(float repeats);                                 // TFP0
    LwobSurface& wrapHeight(float repeats);                                // TFP1
    LwobSurface& reflectionImage(const std::string& name);                 // RIMG

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class LwobWriter {
public:
    // Leaves out the "FORM" <length> "LWOB" header.
    LwobWriter& withoutHeader();

    LwobWriter& points(const std::vector<std::array<float, 3>>& points);  // PNTS
    LwobWriter& polygons(const std::vector<LwobPolygon>& polygons);       // POLS
    LwobWriter& triangles(const std::vector<std::array<uint16_t, 4>>& t); // POLS: a, b, c, surface
    LwobWriter& surfaceNames(const std::vector<std::string>& names);      // SRFS
    LwobWriter& surface(const std::string& name, const LwobSurface& s);   // SURF
    // Any chunk: tag, u32 length of `data` (or `length` when given), data.
    LwobWriter& chunk(const std::string& tag, const std::string& data);
    LwobWriter& chunkWithLength(const std::string& tag, uint32_t length, const std::string& data);
    // Bytes added as they are.
    LwobWriter& raw(const std::string& bytes);

    std::string bytes() const;
    // Writes bytes() to a host path (directories must exist). False when it cannot.
    bool write(const std::string& path) const;

private:
    bool header_ = true;
    std::string body_;
};
