// Lwo2Surface: what the player can show of an LWO2 surface, read from its SURF chunk.
//
// readLwo2Surface() applies the chunk of the surface it inherits from first (SURF's
// source name, followed up to eight levels deep), then its own sub-chunks. Read:
// COLR, DIFF, LUMI, TRAN, ADTR, SIDE, SMAN and the first enabled IMAP block on the
// colour channel, in ordinal order (its header's OPAC and NEGA, TMAP's CNTR, SIZE,
// ROTA and CSYS, and PROJ, AXIS, IMAG, WRAP, WRPW, WRPH, VMAP). Every other sub-chunk,
// envelope indices and other blocks (procedural textures, gradients, shaders, image
// maps on other channels) are passed over by their lengths, clamped to the chunk.
//
// Values are LightWave's: fractions (1.0 = 100 %), radians, object-space metres.
#pragma once

#include <cstdint>
#include <string>

#include "content/Lwo2Model.h"
#include "object/Surface.h"

enum class Lwo2Projection : int32_t { Planar = 0, Cylindrical, Spherical, Cubic, Front, Uv };
enum class Lwo2Wrap : int32_t { Reset = 0, Repeat, Mirror, Edge };

struct Lwo2ImageMap {
    bool present = false;
    std::string ordinal; // sort key among the surface's blocks
    Lwo2Projection projection = Lwo2Projection::Planar;
    int32_t axis = 0; // 0 X, 1 Y, 2 Z
    bool hasClip = false;
    uint32_t clip = 0; // CLIP index
    float center[3] = {};
    float size[3] = {1.0f, 1.0f, 1.0f};
    float rotation[3] = {}; // heading, pitch, bank in radians
    int32_t worldCoordinates = 0;
    Lwo2Wrap wrapWidth = Lwo2Wrap::Repeat;
    Lwo2Wrap wrapHeight = Lwo2Wrap::Repeat;
    float wrapCountWidth = 1.0f; // repeats around the axis (cylindrical, spherical)
    float wrapCountHeight = 1.0f;
    std::string uvMap; // TXUV map name for the UV projection
    float opacity = 1.0f;
    int32_t opacityType = 0; // 0 normal, 7 additive, ...
    bool negative = false;
};

struct Lwo2SurfaceLook {
    float color[3] = {0.78431374f, 0.78431374f, 0.78431374f}; // 200 / 255
    float diffuse = 1.0f;
    float luminosity = 0.0f;
    float transparency = 0.0f;
    float additiveTransparency = 0.0f;
    int32_t sides = 1;           // 1 front only, 3 both
    float smoothingAngle = 0.0f; // radians; 0 faceted
    Lwo2ImageMap image;          // the first colour image map
};

// The surface named `name` from the model's SURF chunks (the first chunk with that
// name); a name no chunk has keeps the defaults above.
Lwo2SurfaceLook readLwo2Surface(const Lwo2Model& model, const std::string& name);

// The renderer's record of a look, with `colorTexture` the index of its colour map's
// texture (-1: untextured): colour times diffuse (a luminous surface, luminosity 100 %
// or more, keeps its colour and is drawn unlit; a textured one is white times diffuse,
// the picture carrying the colour), transparency, additive (additive transparency of
// 50 % or more), double-sided (SIDE 3), smoothing (4 when the smoothing angle is above
// 0), and the map's projection + 1 as textureMapping (1 planar, 2 cylindrical,
// 3 spherical, 4 cubic, 5 front, 6 UV) with its axis + 1, centre, size and wrap counts.
Surface surfaceRecordOf(const Lwo2SurfaceLook& look, int32_t colorTexture);
