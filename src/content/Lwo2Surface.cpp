#include "content/Lwo2Surface.h"

#include <cstring>

#include "content/IffReader.h"

namespace {

constexpr int32_t kMaxInheritance = 8;

void readVector(IffReader& in, float out[3]) {
    for (int i = 0; i < 3; ++i) {
        out[i] = in.f4();
    }
}

float fraction(float value) {
    return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; // NaN -> 0
}

Lwo2Wrap wrapOf(uint16_t value) {
    return value <= 3 ? static_cast<Lwo2Wrap>(value) : Lwo2Wrap::Repeat;
}

void readTextureSpace(IffReader in, Lwo2ImageMap& map) {
    IffChunk sub;
    while (in.subChunk(sub)) {
        IffReader data(sub);
        if (sub.is("CNTR")) {
            readVector(data, map.center);
        } else if (sub.is("SIZE")) {
            readVector(data, map.size);
        } else if (sub.is("ROTA")) {
            readVector(data, map.rotation);
        } else if (sub.is("CSYS")) {
            map.worldCoordinates = data.u2();
        }
    }
}

// One BLOK: an image map on the colour channel, or `present` false.
Lwo2ImageMap readBlock(IffReader in) {
    Lwo2ImageMap map;
    IffChunk header;
    if (!in.subChunk(header) || !header.is("IMAP")) {
        return map;
    }
    IffReader head(header);
    map.ordinal = head.text();
    bool colour = true; // CHAN defaults to the colour channel
    bool enabled = true;
    IffChunk sub;
    while (head.subChunk(sub)) {
        IffReader data(sub);
        if (sub.is("CHAN")) {
            char channel[5];
            data.id4(channel);
            colour = std::memcmp(channel, "COLR", 4) == 0;
        } else if (sub.is("ENAB")) {
            enabled = data.u2() != 0;
        } else if (sub.is("OPAC")) {
            map.opacityType = data.u2();
            map.opacity = data.f4();
        } else if (sub.is("NEGA")) {
            map.negative = data.u2() != 0;
        }
    }
    if (!colour || !enabled) {
        return map;
    }
    map.present = true;
    while (in.subChunk(sub)) {
        IffReader data(sub);
        if (sub.is("TMAP")) {
            readTextureSpace(data, map);
        } else if (sub.is("PROJ")) {
            const uint16_t projection = data.u2();
            map.projection =
                projection <= 5 ? static_cast<Lwo2Projection>(projection) : Lwo2Projection::Planar;
        } else if (sub.is("AXIS")) {
            const uint16_t axis = data.u2();
            map.axis = axis <= 2 ? axis : 2;
        } else if (sub.is("IMAG")) {
            map.hasClip = true;
            map.clip = data.vx();
        } else if (sub.is("WRAP")) {
            map.wrapWidth = wrapOf(data.u2());
            map.wrapHeight = wrapOf(data.u2());
        } else if (sub.is("WRPW")) {
            map.wrapCountWidth = data.f4();
        } else if (sub.is("WRPH")) {
            map.wrapCountHeight = data.f4();
        } else if (sub.is("VMAP")) {
            map.uvMap = data.text();
        }
    }
    return map;
}

void applyChunk(const Lwo2Model& model, const Lwo2SurfaceChunk& chunk, Lwo2SurfaceLook& look,
                int32_t depth) {
    if (!chunk.source.empty() && depth < kMaxInheritance) {
        for (const Lwo2SurfaceChunk& parent : model.surfaces) {
            if (parent.name == chunk.source) {
                applyChunk(model, parent, look, depth + 1);
                break;
            }
        }
    }
    IffReader in(chunk.bytes, chunk.size);
    IffChunk sub;
    while (in.subChunk(sub)) {
        IffReader data(sub);
        if (sub.is("COLR")) {
            readVector(data, look.color);
        } else if (sub.is("DIFF")) {
            look.diffuse = data.f4();
        } else if (sub.is("LUMI")) {
            look.luminosity = data.f4();
        } else if (sub.is("TRAN")) {
            look.transparency = data.f4();
        } else if (sub.is("ADTR")) {
            look.additiveTransparency = data.f4();
        } else if (sub.is("SIDE")) {
            look.sides = data.u2();
        } else if (sub.is("SMAN")) {
            look.smoothingAngle = data.f4();
        } else if (sub.is("BLOK")) {
            const Lwo2ImageMap map = readBlock(data);
            if (map.present && (!look.image.present || map.ordinal < look.image.ordinal)) {
                look.image = map;
            }
        }
    }
}

} // namespace

Surface surfaceRecordOf(const Lwo2SurfaceLook& look, int32_t colorTexture) {
    Surface s;
    const bool luminous = look.luminosity >= 1.0f;
    s.luminosity = static_cast<int32_t>(fraction(look.luminosity) * 256.0f);
    const float diffuse = luminous ? 1.0f : (look.diffuse > 0.0f ? look.diffuse : 0.0f);
    for (int c = 0; c < 3; ++c) {
        s.color[c] = fraction((colorTexture >= 0 ? 1.0f : look.color[c]) * diffuse);
    }
    s.transparency = fraction(look.transparency);
    s.transparent = s.transparency > 0.0f ? 1 : 0;
    s.additive = look.additiveTransparency >= 0.5f ? 1 : 0;
    s.doubleSided = look.sides == 3 ? 1 : 0;
    s.smoothing = look.smoothingAngle > 0.0f ? 4 : 0;
    if (colorTexture >= 0) {
        const Lwo2ImageMap& map = look.image;
        s.textureMapping = static_cast<int32_t>(map.projection) + 1;
        s.colorTexture = colorTexture;
        s.textureAxis = static_cast<uint8_t>(map.axis + 1);
        s.textureWrapWidth = map.wrapCountWidth;
        s.textureWrapHeight = map.wrapCountHeight;
        for (int i = 0; i < 3; ++i) {
            s.textureSize[i] = map.size[i];
            s.textureCenter[i] = map.center[i];
        }
    }
    return s;
}

Lwo2SurfaceLook readLwo2Surface(const Lwo2Model& model, const std::string& name) {
    Lwo2SurfaceLook look;
    for (const Lwo2SurfaceChunk& chunk : model.surfaces) {
        if (chunk.name == name) {
            applyChunk(model, chunk, look, 0);
            break;
        }
    }
    return look;
}
