// "temple": a hall of marble columns lit by flickering torches, its polished floor
// catching their glow. The camera walks the hall towards an altar where a crystal turns
// and changes shape, while a golden guardian slowly materialises behind it.
//
// World: the hall runs along +z from the entrance (z = -6) to the apse (z = 62), 18
// units wide, the floor at y = 0. Columns are one object loaded fourteen times, torches
// one object loaded six times. Slot order: opaque architecture, the reflective floor,
// the guardian (dissolving), the transparent crystal, the additive light shafts last.
#include <cmath>

#include "DemoFolder.h"

namespace {

constexpr int32_t kLastFrame = 479;
constexpr float kHalfWidth = 9.0f, kHeight = 11.0f, kFront = -6.0f, kBack = 62.0f;
constexpr float kColumnX = 5.2f;
const Vec3 kCrystal{0.0f, 3.6f, 53.0f};

Image marbleImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        // Veined marble in square tiles with dark joints.
        const float n = tileFbm(u, v, 4, 5, 201);
        const float vein = std::fabs(std::sin((u * 2.0f + v + n * 2.5f) * 6.2831853f));
        Color c = mix(rgb(236, 226, 210), rgb(170, 150, 140), std::pow(1.0f - vein, 6.0f));
        const float fu = std::fmod(u * 2.0f, 1.0f), fv = std::fmod(v * 2.0f, 1.0f);
        const float joint = std::min(std::min(fu, 1.0f - fu), std::min(fv, 1.0f - fv));
        c = mix(c, rgb(60, 50, 45), smoothstep(0.02f, 0.0f, joint));
        return mix(
            c,
            (std::fmod(std::floor(u * 2) + std::floor(v * 2), 2.0f) < 1.0f) ? rgb(120, 40, 40) : c,
            0.25f);
    });
    return image;
}

Image columnImage() {
    Image image(64, 128);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v * 0.5f, 4, 4, 211);
        const float flute = 0.5f + 0.5f * std::cos(u * 16.0f * 6.2831853f);
        return mix(mix(rgb(220, 210, 195), rgb(250, 244, 232), flute), rgb(180, 165, 150),
                   n * 0.4f);
    });
    return image;
}

Image stoneImage() {
    Image image(128, 64);
    image.paint([](float u, float v) {
        const float row = std::floor(v * 4.0f);
        const float shifted = u * 4.0f + (std::fmod(row, 2.0f) < 1.0f ? 0.0f : 0.5f);
        const float bu = std::fmod(shifted, 1.0f), bv = std::fmod(v * 4.0f, 1.0f);
        const float joint = std::min(std::min(bu, 1.0f - bu) * 2.0f, std::min(bv, 1.0f - bv));
        const float n = tileFbm(u, v, 8, 3, 221) +
                        0.3f * hash01(static_cast<int32_t>(shifted), static_cast<int32_t>(row), 9);
        Color c = mix(rgb(150, 120, 95), rgb(205, 175, 140), clamp01(n));
        return mix(c, rgb(70, 55, 45), smoothstep(0.05f, 0.0f, joint));
    });
    return image;
}

Image glowImage() {
    // What the polished floor reflects: warm torch glows on dark stone.
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 4, 3, 231);
        const float glow = std::exp(-std::pow((std::fmod(u * 3.0f, 1.0f) - 0.5f) * 5.0f, 2.0f));
        return mix(rgb(40, 30, 30), rgb(255, 170, 90), glow * (0.5f + 0.5f * n));
    });
    return image;
}

Image goldImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 4, 4, 241);
        return mix(rgb(150, 100, 30), rgb(255, 220, 120), n);
    });
    return image;
}

Image ceilingImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float cu = std::fabs(u - 0.5f), cv = std::fabs(v - 0.5f);
        const float frame = std::max(cu, cv);
        Color c = mix(rgb(60, 40, 40), rgb(110, 70, 50), tileNoise(u, v, 8, 251));
        return mix(c, rgb(200, 150, 60), smoothstep(0.40f, 0.44f, frame) * 0.8f);
    });
    return image;
}

void writeTextures(DemoFolder& f) {
    f.writeTexture("marble", marbleImage(), GR_TEXFMT_YIQ_422);
    f.writeTexture("column", columnImage(), GR_TEXFMT_P_8);
    f.writeTexture("templestone", stoneImage(), GR_TEXFMT_ARGB_1555);
    f.writeTexture("templeglow", glowImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("gold", goldImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("coffers", ceilingImage(), GR_TEXFMT_ARGB_8332);
}

std::string hallObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface side = colourSurface(255, 240, 225);
    planarImage(side, "templestone", kAxisX, {1, 2.5f, 5.0f});
    LwobSurface end = colourSurface(255, 240, 225);
    planarImage(end, "templestone", kAxisZ, {5.0f, 2.5f, 1});
    LwobSurface ceiling = colourSurface(230, 220, 210);
    planarImage(ceiling, "coffers", kAxisY, {4, 1, 4});
    LwobSurface window = colourSurface(255, 235, 190, 0);
    window.luminosity(256);
    const uint16_t sideWall = m.surface("HallWall", side);
    const uint16_t endWall = m.surface("HallEnd", end);
    const uint16_t roof = m.surface("Coffers", ceiling);
    const uint16_t light = m.surface("HighWindow", window);
    // Walls seen from inside; each is a panel of several quads so that point lights
    // (lit per point) fall off across them.
    const int rows = 4, cols = 17;
    for (int wall = 0; wall < 2; ++wall) {
        const float x = wall == 0 ? -kHalfWidth : kHalfWidth;
        std::vector<uint16_t> grid;
        for (int j = 0; j <= rows; ++j) {
            for (int i = 0; i <= cols; ++i) {
                grid.push_back(
                    m.point({x, kHeight * j / rows, kFront + (kBack - kFront) * i / cols}));
            }
        }
        for (int j = 0; j < rows; ++j) {
            for (int i = 0; i < cols; ++i) {
                const uint16_t a = grid[j * (cols + 1) + i], b = grid[j * (cols + 1) + i + 1];
                const uint16_t c = grid[(j + 1) * (cols + 1) + i + 1],
                               d = grid[(j + 1) * (cols + 1) + i];
                if (wall == 0) {
                    m.quad(a, d, c, b, sideWall); // faces +x
                } else {
                    m.quad(a, b, c, d, sideWall); // faces -x
                }
            }
        }
    }
    m.box({-kHalfWidth, 0, kBack}, {kHalfWidth, kHeight, kBack + 1}, endWall, {}, false);
    m.box({-kHalfWidth, 0, kFront - 1}, {kHalfWidth, kHeight, kFront}, endWall, {}, false);
    m.box({-kHalfWidth, kHeight, kFront}, {kHalfWidth, kHeight + 1, kBack}, roof, {}, false);
    // High windows on the left wall, where the light shafts begin.
    for (int i = 0; i < 4; ++i) {
        const float z = 6.0f + 14.0f * i;
        m.panel(2.0f, 2.6f, light, Placement::at(-kHalfWidth + 0.05f, 8.6f, z).turned(-90));
    }
    return f.writeObject("hall", m);
}

std::string floorObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(250, 245, 240);
    planarImage(s, "marble", kAxisY, {4, 1, 4}, {0, 0, 0});
    s.reflection(90).reflectionImage(imageName("templeglow"));
    // A very slight unevenness: flat to the eye, but the normals vary enough for the
    // reflection to shimmer as the camera moves.
    m.heightField(
        2.0f * kHalfWidth, kBack - kFront, 18, 34,
        [](float x, float z) { return 0.015f * std::sin(x * 3.1f) * std::sin(z * 2.3f); },
        m.surface("PolishedFloor", s), Placement::at(0, 0, (kBack + kFront) * 0.5f));
    return f.writeObject("templefloor", m);
}

std::string columnObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface shaft = colourSurface(255, 250, 240);
    cylindricalImage(shaft, "column", kAxisY, {1, 8, 1}, {0, 4, 0}, 2.0f);
    LwobSurface trim = colourSurface(230, 200, 150);
    const uint16_t body = m.surface("ColumnShaft", shaft);
    const uint16_t gold = m.surface("ColumnTrim", trim);
    m.box({-0.95f, 0, -0.95f}, {0.95f, 0.45f, 0.95f}, gold);
    m.lathe({{0.75f, 0.45f}, {0.62f, 0.8f}, {0.58f, 7.6f}, {0.7f, 8.0f}}, 14, body, {}, false,
            false);
    m.lathe({{0.7f, 8.0f}, {0.95f, 8.5f}}, 14, gold, {}, false, false);
    m.box({-1.05f, 8.5f, -1.05f}, {1.05f, 9.0f, 1.05f}, gold);
    return f.writeObject("column", m);
}

std::string torchObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface iron = colourSurface(90, 80, 75);
    LwobSurface coal = colourSurface(255, 120, 40, 0);
    coal.luminosity(256);
    const uint16_t metal = m.surface("TorchIron", iron);
    const uint16_t glow = m.surface("TorchCoal", coal);
    m.box({-0.06f, -0.6f, -0.06f}, {0.06f, 0.1f, 0.06f}, metal);
    m.lathe({{0.05f, 0.0f}, {0.28f, 0.35f}, {0.3f, 0.42f}}, 10, metal, {}, true, false);
    m.lathe({{0.26f, 0.38f}, {0.0f, 0.45f}}, 10, glow, {}, false, false);
    return f.writeObject("torch", m);
}

std::string altarObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface step = colourSurface(240, 230, 215);
    planarImage(step, "marble", kAxisY, {4, 1, 4});
    LwobSurface gold = colourSurface(255, 220, 150);
    planarImage(gold, "gold", kAxisZ, {2, 2, 1});
    const uint16_t steps = m.surface("AltarSteps", step);
    const uint16_t trim = m.surface("AltarGold", gold);
    for (int i = 0; i < 3; ++i) {
        const float w = 5.0f - i * 1.2f, d = 4.0f - i * 0.9f;
        m.box({-w, i * 0.35f, kCrystal.z - d}, {w, (i + 1) * 0.35f, kCrystal.z + d}, steps);
    }
    m.box({-1.2f, 1.05f, kCrystal.z - 0.8f}, {1.2f, 2.1f, kCrystal.z + 0.8f}, trim);
    for (float x : {-3.2f, 3.2f}) {
        m.lathe({{0.15f, 1.05f}, {0.12f, 2.2f}, {0.55f, 2.6f}, {0.6f, 2.75f}}, 10, trim,
                Placement::at(x, 0, kCrystal.z - 1.5f), true, true);
    }
    return f.writeObject("altar", m);
}

// A robed guardian: a tall lathe figure with a head and a halo.
std::string guardianObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface gold = colourSurface(255, 210, 120);
    cylindricalImage(gold, "gold", kAxisY, {1, 6, 1}, {0, 3, 0}, 3.0f);
    const uint16_t body = m.surface("GuardianGold", gold);
    m.lathe({{1.5f, 0.0f}, {1.3f, 1.5f}, {0.9f, 3.6f}, {1.15f, 4.3f}, {0.45f, 4.8f}, {0.35f, 5.0f}},
            16, body);
    m.sphere(0.55f, 8, 12, body, Placement::at(0, 5.5f, 0));
    m.torus(1.1f, 0.07f, 24, 6, body, Placement::at(0, 5.8f, 0.35f).turned(0, 90));
    return f.writeObject("guardian", m);
}

// The crystal: a double pyramid whose morph target is wider and flatter; equal points.
std::string crystalObject(DemoFolder& f, const std::string& name, float radius, float height,
                          float twist) {
    MeshBuilder m;
    LwobSurface s = colourSurface(140, 230, 255, kSmoothFlag);
    s.transparency(110).luminosity(256);
    m.lathe({{0.0f, -height},
             {radius, -0.15f * height},
             {radius * 0.8f, 0.25f * height},
             {0.0f, height}},
            7, m.surface("Crystal", s), Placement::at(0, 0, 0).turned(twist));
    return f.writeObject(name, m);
}

// Shafts of light from the high windows: additive cones whose smoothing fades them to
// nothing at their edges (an additive smoothed point glows by its normal's depth).
std::string shaftsObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 225, 170, kSmoothFlag | kAdditiveFlag);
    const uint16_t beam = m.surface("LightShaft", s);
    const Vec3 bottomOffset{7.5f, -9.8f, 3.0f};
    const float length = std::sqrt(dot(bottomOffset, bottomOffset));
    for (int i = 0; i < 4; ++i) {
        const float z = 6.0f + 14.0f * i;
        const Vec3 top{-kHalfWidth + 0.3f, 9.6f, z};
        // A cone along -y, then tilted to run from the window down onto the floor.
        const float heading = std::atan2(bottomOffset.x, bottomOffset.z) * 57.29578f;
        const float tilt = std::acos(-bottomOffset.y / length) * 57.29578f;
        m.lathe({{1.6f, -length}, {0.7f, 0.0f}}, 10, beam,
                Placement::at(top.x, top.y, top.z).turned(heading, -tilt), false, false);
    }
    return f.writeObject("lightshafts", m);
}

} // namespace

SceneText buildTemple(DemoFolder& folder) {
    writeTextures(folder);
    SceneText scene(kLastFrame, 30.0f);

    scene.loadObject(hallObject(folder), still({}));
    const std::string column = columnObject(folder);
    for (int i = 0; i < 7; ++i) {
        const float z = 0.0f + 8.0f * i;
        scene.loadObject(column, still({-kColumnX, 0, z}, 0.0f));
        scene.loadObject(column, still({kColumnX, 0, z}, 30.0f));
    }
    const std::string torch = torchObject(folder);
    const float torchZ[3] = {4.0f, 20.0f, 36.0f};
    for (float z : torchZ) {
        for (float side : {-1.0f, 1.0f}) {
            scene.loadObject(torch, still({side * (kColumnX - 0.9f), 3.4f, z + 0.0f}));
        }
    }
    scene.loadObject(altarObject(folder), still({}));
    scene.loadObject(floorObject(folder), still({}));

    // The guardian appears: fully dissolved until the camera is half way down the hall.
    scene.loadObject(guardianObject(folder), still({0.0f, 1.05f, kCrystal.z + 4.5f}, 180.0f));
    scene.dissolve(Envelope1{{1.0f, 0}, {1.0f, 150}, {0.0f, 390, 0, 0.4f}, {0.0f, kLastFrame}});

    // The crystal turns, bobs and changes shape (a two-member chain, cubic blend).
    Motion9 spin;
    for (int32_t k = 0; k <= 4; ++k) {
        KeyFrame key;
        key.frame = k * (kLastFrame + 1) / 4;
        key.position = kCrystal + Vec3{0.0f, (k % 2 == 0 ? 0.0f : 0.35f), 0.0f};
        key.heading = 90.0f * static_cast<float>(k);
        spin.push_back(key);
    }
    scene.loadObject(crystalObject(folder, "crystal", 0.7f, 1.3f, 0.0f), spin);
    const int32_t crystalNumber = scene.objectCount();
    scene.morph(Envelope1{{0.0f, 0}, {1.0f, 120}, {0.2f, 260}, {1.0f, 380}, {0.0f, kLastFrame}},
                crystalNumber + 1, 0);
    scene.loadObject(crystalObject(folder, "crystal2", 1.1f, 0.8f, 25.0f), still(kCrystal));

    scene.loadObject(shaftsObject(folder), still({}));
    scene.dissolve(0.7f);

    // Torches: a fire and a flickering point light each.
    uint32_t seed = 300;
    for (float z : torchZ) {
        for (float side : {-1.0f, 1.0f}) {
            const Vec3 flame{side * (kColumnX - 0.9f), 3.4f + 0.42f, z};
            SceneText::Light l;
            l.name = "Torch";
            l.type = 1;
            l.motion = still(flame + Vec3{0.0f, 0.6f, 0.0f});
            l.r = 255, l.g = 150, l.b = 70;
            l.rangeEnvelope = flicker(13.0f, 2.0f, 18 + static_cast<int32_t>(seed % 7), 6, seed);
            l.intensityEnvelope =
                flicker(0.9f, 0.12f, 11 + static_cast<int32_t>(seed % 5), 5, seed + 1);
            scene.light(l);
            SceneText::Fire fire;
            fire.mode = 0;
            fire.particles = 36;
            fire.width = 0.26f;
            fire.height = 1.5f;
            fire.startFrame = 0.0f;
            fire.endFrame = 100000.0f;
            fire.fadeTime = 12;
            fire.color[0] = 255, fire.color[1] = 140, fire.color[2] = 50;
            fire.colorFade[0] = 0.3f, fire.colorFade[1] = 1.0f, fire.colorFade[2] = 1.0f;
            fire.texture = imageName("fire");
            fire.motion = still(flame);
            scene.fire(fire);
            seed += 11;
        }
    }
    // The braziers on the altar light up as the guardian appears.
    for (float x : {-3.2f, 3.2f}) {
        SceneText::Fire fire;
        fire.mode = 0;
        fire.particles = 40;
        fire.width = 0.4f;
        fire.height = 1.8f;
        fire.startFrame = 230.0f;
        fire.endFrame = 100000.0f;
        fire.fadeTime = 15;
        fire.color[0] = 120, fire.color[1] = 190, fire.color[2] = 255;
        fire.colorFade[0] = 1.0f, fire.colorFade[1] = 0.8f, fire.colorFade[2] = 0.4f;
        fire.texture = imageName("fire");
        fire.motion = still({x, 2.75f, kCrystal.z - 1.5f});
        scene.fire(fire);
    }
    SceneText::Light glow;
    glow.name = "CrystalGlow";
    glow.type = 1;
    // In front of the crystal: inside it, its flare would be hidden by its own faces.
    glow.motion = still(kCrystal + Vec3{0.0f, 0.2f, -1.8f});
    glow.r = 120, glow.g = 210, glow.b = 255;
    glow.range = 14.0f;
    glow.intensityEnvelope = {{0.3f, 0}, {1.0f, 240}, {0.7f, 330}, {1.2f, kLastFrame}};
    glow.lensFlare = 1;
    glow.flareIntensity = 1.6f;
    scene.light(glow);

    scene.ambient(110, 90, 80, 0.38f);

    SceneText::Camera camera;
    camera.zoom = 1.9f;
    camera.motion = {
        lookingAt(0, {0.0f, 2.0f, -4.5f}, {0.0f, 3.5f, 30.0f}),
        lookingAt(110, {-2.0f, 2.6f, 8.0f}, {1.0f, 3.6f, 40.0f}, -3.0f),
        lookingAt(230, {1.8f, 3.2f, 22.0f}, {-0.5f, 3.5f, 50.0f}, 3.0f),
        lookingAt(360, {-1.2f, 3.0f, 36.0f}, kCrystal + Vec3{0.0f, 0.6f, 0.0f}, -1.5f),
        lookingAt(kLastFrame + 1, {0.6f, 2.8f, 44.5f}, kCrystal + Vec3{0.0f, 0.4f, 0.0f}),
    };
    camera.motion.front().tension = 0.4f;
    camera.motion.back().tension = 0.6f;
    unwrapAngles(camera.motion);
    scene.camera(camera);
    return scene;
}
