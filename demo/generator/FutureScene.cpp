// "future": a neon plaza at night. Chrome spheres circle a chrome ring above a glossy
// grid floor; a neon sculpture bends from a ring into a star and a knot; towers with lit
// windows stand around; sparks rain from a welding point high on a tower and skid over
// the floor. The camera circles the plaza, banking into its turn.
//
// World: the floor at y = 0 (falling sparks bounce on that plane), the sculpture at the
// origin, towers on a ring of radius 28. Slot order: opaque towers, floor and chrome,
// then the additive neon (sculpture, tower strips, glow halos).
#include <cmath>

#include "DemoFolder.h"

namespace {

constexpr int32_t kLastFrame = 479;
constexpr float kTwoPi = 6.2831853f;
const Vec3 kWeld{6.0f, 10.0f, -6.0f};

Image gridImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        const float fu = std::fmod(u * 4.0f, 1.0f), fv = std::fmod(v * 4.0f, 1.0f);
        const float line = std::max(std::exp(-std::pow(std::min(fu, 1.0f - fu) * 40.0f, 2.0f)),
                                    std::exp(-std::pow(std::min(fv, 1.0f - fv) * 40.0f, 2.0f)));
        const float n = tileFbm(u, v, 4, 3, 301);
        Color c = mix(rgb(14, 12, 30), rgb(30, 26, 56), n);
        return mix(c, rgb(60, 220, 255), line * 0.9f);
    });
    return image;
}

// What chrome and the glossy floor reflect: a sphere map of a night sky over neon.
Image chromeImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        // v = 0 is the top of a chrome sphere (its normal up), v = 1 the bottom.
        Color c = mix(rgb(20, 16, 60), rgb(120, 60, 160), smoothstep(0.15f, 0.5f, v));
        c = mix(c, rgb(255, 90, 200), std::exp(-std::pow((v - 0.52f) * 14.0f, 2.0f)));
        c = mix(c, rgb(60, 230, 255), std::exp(-std::pow((v - 0.6f) * 22.0f, 2.0f)) * 0.9f);
        c = mix(c, rgb(30, 30, 40), smoothstep(0.62f, 0.75f, v));
        // Tall bright windows of the towers around.
        const float window = std::fmod(u * 12.0f, 1.0f) < 0.18f ? 1.0f : 0.0f;
        c = mix(c, rgb(255, 230, 160),
                window * smoothstep(0.3f, 0.45f, v) * smoothstep(0.62f, 0.55f, v) * 0.5f);
        const float cu = u - 0.32f, cv = v - 0.22f;
        return mix(c, rgb(255, 255, 255), std::exp(-(cu * cu + cv * cv) * 300.0f)); // a light
    });
    return image;
}

Image windowsImage(uint32_t seed, Color lit) {
    Image image(64, 128);
    image.paint([&](float u, float v) {
        const int32_t col = static_cast<int32_t>(u * 8.0f), row = static_cast<int32_t>(v * 24.0f);
        const float fu = std::fmod(u * 8.0f, 1.0f), fv = std::fmod(v * 24.0f, 1.0f);
        const bool pane = fu > 0.18f && fu < 0.82f && fv > 0.25f && fv < 0.8f;
        const float on = hash01(col, row, seed);
        Color c = rgb(22, 24, 36);
        if (pane) {
            c = on > 0.45f ? scaled(lit, 0.6f + 0.4f * on) : rgb(34, 40, 60);
        }
        return c;
    });
    return image;
}

Image neonSignImage() {
    Image image(128, 32);
    image.paint([](float u, float v) {
        // Stripes of pink and cyan dashes, drawn with alpha for the alpha-palette format.
        const float dash = std::fmod(u * 8.0f, 1.0f) < 0.7f ? 1.0f : 0.0f;
        const float row = std::fabs(v - 0.5f);
        const Color c = std::fmod(u * 2.0f, 1.0f) < 0.5f ? rgb(255, 80, 200) : rgb(70, 230, 255);
        const float glow = dash * std::exp(-row * row * 40.0f);
        Color out = scaled(c, glow);
        out.a = glow;
        return out;
    });
    return image;
}

void writeTextures(DemoFolder& f) {
    f.writeTexture("neongrid", gridImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("chromeenv", chromeImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("towerwindows", windowsImage(311, rgb(255, 220, 150)), GR_TEXFMT_P_8);
    f.writeTexture("towerwindows2", windowsImage(313, rgb(150, 220, 255)), GR_TEXFMT_AYIQ_8422);
    f.writeTexture("neonsign", neonSignImage(), GR_TEXFMT_AP_88);
}

std::string floorObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 255, 255);
    planarImage(s, "neongrid", kAxisY, {6, 1, 6});
    s.reflection(80).reflectionImage(imageName("chromeenv"));
    m.heightField(
        120.0f, 120.0f, 30, 30,
        [](float x, float z) { return 0.02f * std::sin(x * 1.7f) * std::cos(z * 1.3f); },
        m.surface("GridFloor", s));
    return f.writeObject("plaza", m);
}

std::string towersObject(DemoFolder& f) {
    MeshBuilder m;
    // Windows glow on their own (luminous); the two window colours alternate, mapped
    // on x for walls facing x and on z for walls facing z.
    LwobSurface warmX = colourSurface(255, 255, 255, 0);
    warmX.luminosity(256);
    planarImage(warmX, "towerwindows", kAxisX, {1, 12, 6});
    LwobSurface warmZ = colourSurface(255, 255, 255, 0);
    warmZ.luminosity(256);
    planarImage(warmZ, "towerwindows", kAxisZ, {6, 12, 1});
    LwobSurface coolX = colourSurface(255, 255, 255, 0);
    coolX.luminosity(256);
    planarImage(coolX, "towerwindows2", kAxisX, {1, 10, 5});
    LwobSurface coolZ = colourSurface(255, 255, 255, 0);
    coolZ.luminosity(256);
    planarImage(coolZ, "towerwindows2", kAxisZ, {5, 10, 1});
    LwobSurface roofs = colourSurface(60, 60, 80);
    const uint16_t surfaces[2][2] = {
        {m.surface("WarmWindowsX", warmX), m.surface("WarmWindowsZ", warmZ)},
        {m.surface("CoolWindowsX", coolX), m.surface("CoolWindowsZ", coolZ)}};
    const uint16_t roof = m.surface("Roofs", roofs);
    for (int i = 0; i < 12; ++i) {
        const float a = kTwoPi * (static_cast<float>(i) + 0.5f) / 12.0f;
        const float r = 30.0f + 6.0f * hash01(i, 1, 7);
        const float h = 18.0f + 30.0f * hash01(i, 2, 7);
        const float w = 3.5f + 2.5f * hash01(i, 3, 7);
        const float x = r * std::cos(a), z = r * std::sin(a);
        const int kind = i % 2;
        // A box with x-facing and z-facing walls mapped on their own axes.
        const Vec3 lo{x - w, 0.0f, z - w}, hi{x + w, h, z + w};
        const auto wall = [&](Vec3 a0, Vec3 a1, Vec3 a2, Vec3 a3, uint16_t s) {
            const uint16_t p = m.points({a0, a1, a2, a3});
            m.quad(p, p + 1, p + 2, p + 3, s);
        };
        wall({lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, lo.y, lo.z},
             surfaces[kind][1]); // -z
        wall({hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z},
             surfaces[kind][1]); // +z
        wall({lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z}, {lo.x, lo.y, lo.z},
             surfaces[kind][0]); // -x
        wall({hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z},
             surfaces[kind][0]); // +x
        wall({lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, roof);
    }
    // The welding rig: a mast and an arm reaching out over the weld.
    m.box({kWeld.x - 0.25f, 0.0f, kWeld.z - 3.25f},
          {kWeld.x + 0.25f, kWeld.y + 1.2f, kWeld.z - 2.75f}, roof);
    m.box({kWeld.x - 0.2f, kWeld.y + 0.2f, kWeld.z - 3.0f},
          {kWeld.x + 0.2f, kWeld.y + 0.6f, kWeld.z + 0.2f}, roof);
    return f.writeObject("towers", m);
}

std::string chromeRingObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 255, 255);
    s.reflection(250).reflectionImage(imageName("chromeenv"));
    m.torus(4.0f, 0.55f, 40, 12, m.surface("ChromeRing", s));
    return f.writeObject("chromering", m);
}

std::string chromeSphereObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 255, 255);
    s.reflection(245).reflectionImage(imageName("chromeenv"));
    m.sphere(1.1f, 12, 18, m.surface("ChromeBall", s));
    return f.writeObject("chromeball", m);
}

std::string pedestalObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(120, 120, 150);
    s.reflection(140).reflectionImage(imageName("chromeenv"));
    planarImage(s, "neongrid", kAxisZ, {4, 4, 1});
    m.lathe({{3.0f, 0.0f}, {3.0f, 0.5f}, {2.2f, 0.9f}, {1.2f, 1.0f}}, 24, m.surface("Pedestal", s),
            {}, false, true);
    return f.writeObject("pedestal", m);
}

// A neon tube along a closed curve: `shape` 0 a ring, 1 a five-pointed star, 2 a knot.
// All three have the same points in the same order, so they morph into each other.
std::string sculptureObject(DemoFolder& f, const std::string& name, int shape) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 80, 210, kSmoothFlag | kAdditiveFlag);
    const uint16_t tube = m.surface("Neon", s);
    const int segments = 120, sides = 8;
    const auto curve = [shape](float t) -> Vec3 {
        const float a = kTwoPi * t;
        switch (shape) {
        case 0:
            return {3.0f * std::cos(a), 4.0f + 0.0f * a, 3.0f * std::sin(a)};
        case 1: {
            const float r = 2.2f + 1.3f * std::cos(5.0f * a);
            return {r * std::cos(a), 4.0f + 0.4f * std::sin(5.0f * a), r * std::sin(a)};
        }
        default: // trefoil knot
            return {1.4f * (std::sin(a) + 2.0f * std::sin(2.0f * a)),
                    4.0f + 1.2f * -std::sin(3.0f * a),
                    1.4f * (std::cos(a) - 2.0f * std::cos(2.0f * a))};
        }
    };
    const auto first = static_cast<uint16_t>(m.pointCount());
    for (int i = 0; i < segments; ++i) {
        const float t = static_cast<float>(i) / segments;
        const Vec3 p = curve(t);
        const Vec3 tangent = normalized(curve(t + 0.001f) - curve(t - 0.001f));
        Vec3 side = normalized(cross(tangent, {0.0f, 1.0f, 0.0f}));
        if (length(cross(tangent, {0.0f, 1.0f, 0.0f})) < 0.1f) {
            side = normalized(cross(tangent, {1.0f, 0.0f, 0.0f}));
        }
        const Vec3 up = cross(side, tangent);
        for (int j = 0; j < sides; ++j) {
            const float b = kTwoPi * static_cast<float>(j) / sides;
            m.point(p + (side * std::cos(b) + up * std::sin(b)) * 0.32f);
        }
    }
    const auto at = [&](int i, int j) {
        return static_cast<uint16_t>(first + (i % segments) * sides + (j % sides));
    };
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            m.quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), tube);
        }
    }
    return f.writeObject(name, m);
}

// Neon strips up the towers' corners and a sign band, additive.
std::string neonStripsObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface cyan = colourSurface(60, 220, 255, kAdditiveFlag | kDoubleSidedFlag);
    cyan.luminosity(256);
    LwobSurface sign = colourSurface(255, 255, 255, kAdditiveFlag | kDoubleSidedFlag);
    sign.luminosity(256);
    planarImage(sign, "neonsign", kAxisY, {6, 1, 6}); // projected from above onto the band
    const uint16_t strip = m.surface("NeonStrip", cyan);
    const uint16_t band = m.surface("NeonSign", sign);
    for (int i = 0; i < 12; ++i) {
        const float a = kTwoPi * (static_cast<float>(i) + 0.5f) / 12.0f;
        const float r = 30.0f + 6.0f * hash01(i, 1, 7);
        const float h = 18.0f + 30.0f * hash01(i, 2, 7);
        const float w = 3.5f + 2.5f * hash01(i, 3, 7);
        const float x = r * std::cos(a), z = r * std::sin(a);
        // A vertical strip at the tower corner facing the plaza.
        const float cx = x - w * (x > 0 ? 1.0f : -1.0f) * 1.01f;
        const float cz = z - w * (z > 0 ? 1.0f : -1.0f) * 1.01f;
        m.box({cx - 0.12f, 0.0f, cz - 0.12f}, {cx + 0.12f, h, cz + 0.12f}, strip);
        if (i % 3 == 0) {
            // A ring band round the tower, the sign texture along it.
            m.lathe({{w * 1.5f, h * 0.6f}, {w * 1.5f, h * 0.6f + 1.2f}}, 16, band,
                    Placement::at(x, 0, z), false, false);
        }
    }
    return f.writeObject("neonstrips", m);
}

// A soft additive ball of light: brightest where it faces the camera.
std::string haloObject(DemoFolder& f, const std::string& name, int r, int g, int b) {
    MeshBuilder m;
    LwobSurface s = colourSurface(r, g, b, kSmoothFlag | kAdditiveFlag);
    m.sphere(0.9f, 8, 12, m.surface("LampHalo", s));
    return f.writeObject(name, m);
}

// A circle of keys for something orbiting the centre at `radius`, `turns` times.
Motion9 orbit(float radius, float height, float turns, float phase, int32_t keys, float bob) {
    Motion9 motion;
    for (int32_t k = 0; k <= keys; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(keys);
        const float a = phase + kTwoPi * turns * t;
        KeyFrame key;
        key.frame = (kLastFrame + 1) * k / keys;
        key.position = {radius * std::cos(a), height + bob * std::sin(a * 3.0f),
                        radius * std::sin(a)};
        key.heading = -a * 57.29578f;
        motion.push_back(key);
    }
    return motion;
}

} // namespace

SceneText buildFuture(DemoFolder& folder) {
    writeTextures(folder);
    SceneText scene(kLastFrame, 30.0f);

    scene.loadObject(towersObject(folder), still({}));
    scene.loadObject(floorObject(folder), still({}));
    scene.loadObject(pedestalObject(folder), still({}));
    // The chrome ring tumbles slowly above the pedestal.
    Motion9 tumble;
    for (int32_t k = 0; k <= 4; ++k) {
        KeyFrame key;
        key.frame = k * (kLastFrame + 1) / 4;
        key.position = {0.0f, 4.0f, 0.0f};
        key.heading = 45.0f * k;
        key.pitch = 70.0f + 20.0f * std::sin(static_cast<float>(k));
        key.bank = 90.0f * k;
        tumble.push_back(key);
    }
    scene.loadObject(chromeRingObject(folder), tumble);
    const std::string ball = chromeSphereObject(folder);
    for (int i = 0; i < 3; ++i) {
        scene.loadObject(ball, orbit(7.0f + 1.5f * i, 3.0f + i, 1.0f + 0.5f * i,
                                     kTwoPi * static_cast<float>(i) / 3.0f, 16, 0.8f));
    }
    // The neon sculpture: ring, star, knot (three members, straight blend), turning.
    Motion9 turn;
    for (int32_t k = 0; k <= 4; ++k) {
        KeyFrame key;
        key.frame = k * (kLastFrame + 1) / 4;
        key.position = {0.0f, 1.0f, 0.0f};
        key.heading = -60.0f * k;
        turn.push_back(key);
    }
    const std::string ring = sculptureObject(folder, "neonring", 0);
    const std::string star = sculptureObject(folder, "neonstar", 1);
    const std::string knot = sculptureObject(folder, "neonknot", 2);
    scene.loadObject(ring, turn);
    const int32_t head = scene.objectCount();
    scene.morph(Envelope1{{0.0f, 0},
                          {0.0f, 60},
                          {1.0f, 150, 0, 0.3f},
                          {1.0f, 230},
                          {2.0f, 330, 0, 0.3f},
                          {2.0f, kLastFrame + 1}},
                head + 1, 1);
    scene.loadObject(star, still({}));
    scene.morph(0.0f, head + 2, 1); // continues the chain to the knot
    scene.loadObject(knot, still({}));
    scene.loadObject(neonStripsObject(folder), still({}));
    // Glowing halos round the two coloured lights, riding with them.
    const Motion9 pinkPath = orbit(10.0f, 5.0f, -1.0f, 0.5f, 12, 1.5f);
    const Motion9 cyanPath = orbit(12.0f, 7.0f, 0.75f, 3.5f, 12, 2.0f);
    scene.loadObject(haloObject(folder, "halopink", 255, 90, 200), pinkPath);
    scene.loadObject(haloObject(folder, "halocyan", 70, 210, 255), cyanPath);

    SceneText::Light moon;
    moon.name = "Moon";
    moon.type = 0;
    moon.motion = {lookingAt(0, {-40, 60, -40}, {0, 0, 0})};
    moon.r = 120, moon.g = 130, moon.b = 200;
    moon.intensity = 0.6f;
    scene.light(moon);

    // The coloured lights pulse with the beat (120 a minute: every 15 frames).
    Envelope1 pulse;
    for (int32_t frame = 0; frame <= kLastFrame + 15; frame += 15) {
        pulse.push_back({1.4f, frame, 0, 0.0f, 0.0f, 0.0f});
        if (frame + 8 <= kLastFrame + 15) {
            pulse.push_back({0.7f, frame + 8, 0, 0.0f, 0.0f, 0.0f});
        }
    }
    SceneText::Light pink;
    pink.name = "PinkNeon";
    pink.type = 1;
    pink.motion = pinkPath;
    pink.r = 255, pink.g = 70, pink.b = 190;
    pink.range = 22.0f;
    pink.intensityEnvelope = pulse;
    scene.light(pink);
    SceneText::Light cyan = pink;
    cyan.name = "CyanNeon";
    cyan.motion = cyanPath;
    cyan.r = 50, cyan.g = 210, cyan.b = 255;
    cyan.rangeEnvelope = {{18.0f, 0}, {26.0f, 240}, {20.0f, kLastFrame + 1}};
    scene.light(cyan);

    // A searchlight on a tower top: a spot (which lights nothing here) with a flare.
    SceneText::Light search;
    search.name = "Searchlight";
    search.type = 2;
    search.motion = {lookingAt(0, {-24.0f, 40.0f, 30.0f}, {0, 0, 0})};
    search.r = 255, search.g = 240, search.b = 220;
    search.range = 60.0f;
    search.lensFlare = 1;
    search.flareEnvelope = {{2.0f, 0}, {6.0f, 120}, {3.0f, 240}, {7.0f, 360}, {4.0f, kLastFrame}};
    scene.light(search);

    SceneText::Light weld;
    weld.name = "WeldArc";
    weld.type = 1;
    weld.motion = still(kWeld);
    weld.r = 255, weld.g = 230, weld.b = 170;
    weld.range = 14.0f;
    weld.intensityEnvelope = {{0.0f, 0}, {0.0f, 59}, {1.2f, 62}};
    for (int32_t frame = 66; frame < 400; frame += 4) {
        weld.intensityEnvelope.push_back({0.6f + 0.9f * hash01(frame, 3, 3), frame});
    }
    weld.intensityEnvelope.push_back({0.0f, 404});
    weld.intensityEnvelope.push_back({0.0f, kLastFrame});
    weld.lensFlare = 1;
    weld.flareEnvelope = {{0.0f, 0},   {0.0f, 59},  {1.2f, 64},  {0.8f, 200},
                          {1.4f, 300}, {1.0f, 398}, {0.0f, 404}, {0.0f, kLastFrame}};
    scene.light(weld);

    scene.ambient(140, 110, 200, 0.45f);

    SceneText::Fire sparks;
    sparks.mode = 1;
    sparks.particles = 90;
    sparks.width = 0.2f;
    sparks.height = 11.0f;
    sparks.startFrame = 60.0f;
    sparks.endFrame = 400.0f;
    sparks.fadeTime = 24;
    sparks.color[0] = 255, sparks.color[1] = 220, sparks.color[2] = 140;
    sparks.colorFade[0] = 0.4f, sparks.colorFade[1] = 0.8f, sparks.colorFade[2] = 1.0f;
    sparks.texture = imageName("spark");
    sparks.motion = still(kWeld);
    scene.fire(sparks);

    SceneText::Camera camera;
    camera.zoom = 1.7f;
    const Vec3 centre{0.0f, 3.5f, 0.0f};
    camera.motion = {
        lookingAt(0, {-4.0f, 2.0f, -22.0f}, centre, 0.0f),
        lookingAt(120, {-17.0f, 4.5f, -8.0f}, centre, -8.0f),
        lookingAt(240, {-12.0f, 8.0f, 12.0f}, centre + Vec3{2.0f, 0.0f, 4.0f}, -10.0f),
        lookingAt(360, {4.0f, 5.0f, 16.0f}, centre + Vec3{3.0f, 1.0f, 4.0f}, -6.0f),
        lookingAt(kLastFrame + 1, {12.0f, 3.0f, 3.0f}, centre, 0.0f),
    };
    camera.motion.front().tension = 0.2f;
    camera.motion[2].bias = 0.3f; // swing wide before the turn back to the sparks
    camera.motion.back().tension = 0.4f;
    unwrapAngles(camera.motion);
    scene.camera(camera);
    return scene;
}
