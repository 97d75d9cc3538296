// Rasterizer: one triangle of three GrVertex records to spans of pixels.
//
// Set-up. Vertex x and y are snapped to 1/16 pixel (the caller's snap is repeated so
// that any caller's shared edges match exactly) and the three edge functions are
// evaluated in 64-bit integers at pixel centres (x + 0.5, y + 0.5), so that coverage is
// exact: no float rounding can open a crack or draw a pixel twice. For each row the span
// is found from the edges by exact floor division, stepped from row to row by quotient
// and remainder, never by testing pixel after pixel. (The divisions go through doubles,
// two at a time, and are then corrected by the exact integer remainder: the quotients
// are the integer ones, for a fraction of the cost.)
//
// Fill rule. A pixel centre strictly inside is drawn. A centre exactly on an edge
// belongs to the triangle into which a point just to its right (and, on a horizontal
// edge, just towards +y) falls. In edge terms, with the triangle ordered so that its
// area is positive, an edge (dx, dy) owns its points when dy < 0, or dy == 0 and
// dx > 0. Two triangles that share an edge see it in opposite directions, so exactly
// one of them owns every pixel centre on it, and a fan around a point covers each pixel
// of its area exactly once. (A "simplification" to floats or to an inclusive test on
// every edge would break exactly that.)
//
// Attributes (colour, alpha, oow, ooz, sow, tow and the texture unit's oow) are planes
// over the snapped triangle, in double precision, evaluated at the first pixel of each
// span; colours are then stepped in 16.16 fixed point, the others in single precision.
//
// Recording. A prepared triangle (RasterTriangle) is what a frame's recorded drawing
// holds, so it is small: positions in int32, the attributes as the caller's floats. The
// attributes are limited and the planes set up when rows are drawn, on the drawing
// thread, which keeps the thread that records (the caller's) light.
//
// Hostile input. A triangle with a NaN or infinite x or y draws nothing, as does one of
// zero area. Coordinates beyond a guard band of +-2^19 pixels are clipped to the band in
// screen space (every attribute is linear in screen space, so this is exact) and the
// pieces drawn as a fan, so 64-bit edge arithmetic can never overflow. Non-finite
// attributes count as 0; colours are limited to +-1024 and the other attributes to
// +-1e30 before set-up, so that no conversion is undefined. Rows and columns are always
// limited to the clip window and the buffer: nothing outside is touched.
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"
#include "accel/SpanContext.h"

struct RasterTarget {
    int32_t bufferHeight = 0;
    GrOriginLocation_t origin = GR_ORIGIN_UPPER_LEFT;
    // Pixels minX <= x < maxX, minY <= y < maxY in origin coordinates, already limited to
    // the buffer.
    int32_t clipMinX = 0;
    int32_t clipMinY = 0;
    int32_t clipMaxX = 0;
    int32_t clipMaxY = 0;
    GrCullMode_t cullMode = GR_CULL_DISABLE;
    // The attributes the current state reads (kAttribute* bits); the others are left 0.
    uint32_t attributes = ~0u;
};

inline constexpr uint32_t kAttributeColor = 1;    // r, g, b
inline constexpr uint32_t kAttributeAlpha = 2;    // a
inline constexpr uint32_t kAttributeOow = 4;      // vertex oow
inline constexpr uint32_t kAttributeOoz = 8;      // ooz
inline constexpr uint32_t kAttributeTexture = 16; // sow, tow and the texture unit's oow

// What happened to one triangle.
enum class RasterResult { Drawn, Culled, Rejected };

// Two doubles; + - * / act on each (a compiler vector extension, SSE2 on x86-64).
using RasterPair = double __attribute__((vector_size(16)));
// Attribute pairs of a vertex: (r, g), (b, a), (oow, ooz), (sow, tow), (texture oow, 0).
inline constexpr int32_t kRasterPairCount = 5;

// A vertex as set-up reads it: position in screen pixels (origin coordinates) and the
// attributes limited to finite values. A plain aggregate, so that arrays of pieces cost
// nothing to declare.
struct RasterVertex {
    double x, y;
    RasterPair value[kRasterPairCount];
};

// The attributes of a vertex as the caller gave them, in GrVertex order from r on:
// r, g, b, ooz, a, oow, sow, tow, texture oow. Limited to finite values when drawn.
inline constexpr int32_t kRasterValueCount = 9;

// A triangle ready to draw, inside the guard band, culled and ordered: its vertices'
// positions (1/16 pixels, origin coordinates) with positive area, the rows and columns
// where it may write, already limited to the clip window, and its attributes. Everything
// the drawing of any of its rows needs, so that rows can be drawn apart (and elsewhere);
// compact, since a frame's triangles are recorded before they are drawn.
struct RasterTriangle {
    int32_t x[3], y[3]; // 1/16 pixels, |v| <= 2^23
    int32_t firstRow, lastRow, firstColumn, lastColumn;
    int32_t bufferHeight;
    uint32_t attributes; // kAttribute* bits the state reads
    bool flip;           // lower-left origin: memory row = bufferHeight - 1 - row
    // -1: the attributes are `value`. Else the triangle is piece `piece` of one cut at
    // the guard band, whose limited attributes are the corners 3 * piece .. 3 * piece + 2
    // of the corner array that comes with it (see prepareTriangle).
    int32_t piece;
    float value[3][kRasterValueCount];
};

// Pieces of one triangle (a triangle beyond the guard band is cut into a fan).
inline constexpr int32_t kMaxRasterPieces = 6;

// Checks, snaps, culls and (beyond the guard band) cuts a triangle into at most
// kMaxRasterPieces pieces that write pixels; `count` may be 0 for a triangle that is
// drawn but covers no pixel of the clip window. The corners of cut pieces go to
// `corners` (3 * kMaxRasterPieces entries).
RasterResult prepareTriangle(const GrVertex& a, const GrVertex& b, const GrVertex& c,
                             const RasterTarget& target, RasterTriangle* pieces,
                             RasterVertex* corners, int32_t& count);

// Draws the rows rowFrom..rowTo (origin coordinates, inclusive) of a prepared triangle,
// calling `span` for every non-empty span with `context`'s start values set. The pixels
// of a row are the same whichever rows are drawn with it, and the same whichever row
// drawer draws them (context.drawRows, see SpanContext). Counts no pixels itself (the
// span functions do). `corners` is the corner array of a cut piece (else unused).
void drawTriangleRows(const RasterTriangle& triangle, const RasterVertex* corners, int32_t rowFrom,
                      int32_t rowTo, SpanContext& context, SpanFunction span);

// Rasterises a triangle: prepareTriangle, then every row of every piece.
RasterResult rasterizeTriangle(const GrVertex& a, const GrVertex& b, const GrVertex& c,
                               const RasterTarget& target, SpanContext& context, SpanFunction span);
