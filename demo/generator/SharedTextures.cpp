// Textures used by several scenes: the lens flare and the particle sprites. Sprites and
// the flare are drawn additively as texture times vertex colour, so they are grey-scale
// pictures that fade to black at their edges (the squares they cover must not show).
#include <cmath>

#include "DemoFolder.h"

namespace {

// Distance from the image centre in units of half the side (1 at the edge midpoints).
float radius(float u, float v) {
    const float x = (u - 0.5f) * 2.0f, y = (v - 0.5f) * 2.0f;
    return std::sqrt(x * x + y * y);
}

Image flareImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        const float r = radius(u, v);
        const float x = std::fabs(u - 0.5f) * 2.0f, y = std::fabs(v - 0.5f) * 2.0f;
        float i = std::exp(-r * r * 60.0f) * 1.0f;                   // hot core
        i += std::exp(-r * r * 9.0f) * 0.45f;                        // halo
        i += std::exp(-std::pow((r - 0.62f) * 22.0f, 2.0f)) * 0.16f; // ring
        // Four soft streaks; the player turns the square as the light crosses the view.
        i += (std::exp(-y * y * 900.0f) + std::exp(-x * x * 900.0f)) * std::exp(-r * 2.6f) * 0.5f;
        i *= smoothstep(1.0f, 0.82f, r);
        const float c = clamp01(i);
        return Color{c, c, c, c};
    });
    return image;
}

Image fireImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float r = radius(u, v);
        const float n = tileFbm(u, v, 4, 3, 11);
        float i = std::exp(-r * r * 5.0f) * (0.7f + 0.6f * n);
        i *= smoothstep(1.0f, 0.6f, r);
        const float c = clamp01(i);
        return Color{c, c, c, c};
    });
    return image;
}

Image sparkImage() {
    Image image(32, 32);
    image.paint([](float u, float v) {
        const float r = radius(u, v);
        const float x = std::fabs(u - 0.5f) * 2.0f, y = std::fabs(v - 0.5f) * 2.0f;
        float i = std::exp(-r * r * 40.0f) + 0.5f * std::exp(-r * r * 6.0f);
        i += 0.6f * (std::exp(-x * x * 300.0f) + std::exp(-y * y * 300.0f)) * std::exp(-r * 3.0f);
        i *= smoothstep(1.0f, 0.7f, r);
        const float c = clamp01(i);
        return Color{c, c, c, c};
    });
    return image;
}

} // namespace

void writeSharedTextures(DemoFolder& folder) {
    folder.writeTexture("flare", flareImage(), GR_TEXFMT_INTENSITY_8);
    folder.writeTexture("fire", fireImage(), GR_TEXFMT_ALPHA_INTENSITY_44);
    folder.writeTexture("spark", sparkImage(), GR_TEXFMT_ALPHA_INTENSITY_88);
}
