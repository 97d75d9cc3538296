// "outdoor": a camp by a lake at sunset. The camera drifts over the water towards the
// low sun and its lens flare, turns to the shore where a camp fire catches, and ends
// behind the fire looking over it to the lake and the sunset.
//
// World: the camp fire at the origin, the lake around (0, -0.3, 40), the sun far beyond
// the lake on +z. Everything lies inside a luminous sky dome of radius 450 and a ring of
// mountains of radius 210. Slot order: opaque objects first, the water (reflection
// overlay) after the terrain, the additive sun glow last.
#include <cmath>

#include "DemoFolder.h"

namespace {

constexpr int32_t kLastFrame = 539;
constexpr float kWaterLevel = -0.3f;
const Vec3 kSunPosition{40.0f, 95.0f, 410.0f};
const Vec3 kLakeCentre{0.0f, 0.0f, 42.0f};

// Below 1 inside the lake's ellipse, growing outwards.
float lakeDistance(float x, float z) {
    const float dx = (x - kLakeCentre.x) / 46.0f, dz = (z - kLakeCentre.z) / 28.0f;
    return dx * dx + dz * dz;
}

// Ground height: a flat clearing round the camp, a basin for the lake, hills beyond.
float groundHeight(float x, float z) {
    const float lake = lakeDistance(x, z);
    const float r = std::sqrt(x * x + z * z);
    float h = 0.25f * std::sin(x * 0.21f) * std::cos(z * 0.17f);
    h += smoothstep(30.0f, 110.0f, r) *
         (9.0f + 6.0f * std::sin(x * 0.05f + 1.0f) * std::cos(z * 0.043f));
    h -= (1.0f - smoothstep(0.75f, 1.15f, lake)) * 3.2f;
    return h;
}

Image skyImage() {
    // Rows from the zenith (top) to the nadir; the horizon at v = 0.5. The sun sets at
    // u = 0 (the cylinder's +z), so its glow wraps round the image's side edges. Square:
    // a map spans 256 texels both ways, and a 2:1 image would repeat twice up the dome.
    Image image(256, 256);
    const Color zenith = rgb(28, 44, 110), high = rgb(92, 96, 170), horizon = rgb(250, 150, 90),
                low = rgb(60, 40, 70);
    image.paint([&](float u, float v) {
        const float du = std::min(u, 1.0f - u); // distance to the sun's side, 0..0.5
        const float glow = std::exp(-du * du * 40.0f);
        Color c;
        if (v < 0.5f) {
            const float h = (0.5f - v) * 2.0f; // 0 at the horizon, 1 at the zenith
            c = mix(horizon, high, smoothstep(0.0f, 0.35f, h));
            c = mix(c, zenith, smoothstep(0.3f, 1.0f, h));
            c = mix(c, rgb(255, 200, 120), glow * std::exp(-h * 5.0f) * 0.8f);
            // Streaks of cloud lit from below.
            const float cloud = tileFbm(u * 2.0f, v * 8.0f, 6, 4, 5);
            const float band = smoothstep(0.55f, 0.75f, cloud) * smoothstep(0.02f, 0.1f, h) *
                               (1.0f - smoothstep(0.3f, 0.6f, h));
            c = mix(c, mix(rgb(200, 110, 120), rgb(255, 190, 140), glow), band * 0.7f);
        } else {
            c = mix(horizon, low, smoothstep(0.5f, 0.6f, v));
        }
        return c;
    });
    return image;
}

Image grassImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 4, 5, 21), fine = tileNoise(u, v, 64, 22);
        Color c = mix(rgb(58, 92, 38), rgb(120, 140, 60), n);
        c = mix(c, rgb(40, 62, 30), fine * 0.35f);
        return c;
    });
    return image;
}

Image sandImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 4, 4, 31), fine = tileNoise(u, v, 32, 32);
        return mix(mix(rgb(170, 150, 110), rgb(120, 104, 80), n), rgb(190, 175, 140), fine * 0.3f);
    });
    return image;
}

Image waterImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        const float n = tileFbm(u * 1.0f, v, 8, 3, 41);
        const float ripple = 0.5f + 0.5f * std::sin((v * 16.0f + n * 3.0f) * 6.2831853f);
        return mix(rgb(50, 80, 120), rgb(90, 130, 165), ripple * 0.6f + n * 0.4f);
    });
    return image;
}

Image waterReflectionImage() {
    // Read through the water's normals: warm sky in the middle, cooler sky at the sides.
    Image image(128, 128);
    image.paint([](float u, float v) {
        const float streak = tileFbm(u, v * 0.25f, 8, 3, 51);
        Color c =
            mix(rgb(90, 70, 120), rgb(255, 170, 100), std::exp(-std::pow((u - 0.5f) * 3.0f, 2.0f)));
        return mix(c, rgb(255, 220, 160), smoothstep(0.6f, 0.8f, streak) * 0.6f);
    });
    return image;
}

Image mountainImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 8, 4, 61);
        Color c = mix(rgb(70, 60, 110), rgb(110, 90, 140), n);
        return mix(c, rgb(200, 170, 190), smoothstep(0.32f, 0.18f, v + n * 0.1f)); // snow caps
    });
    return image;
}

Image barkImage() {
    Image image(64, 128);
    image.paint([](float u, float v) {
        const float n = tileFbm(u * 4.0f, v * 0.5f, 4, 4, 71);
        const float groove = 0.5f + 0.5f * std::sin((u * 12.0f + n * 2.0f) * 6.2831853f);
        return mix(rgb(70, 45, 30), rgb(130, 95, 60), groove * 0.6f + n * 0.4f);
    });
    return image;
}

Image needlesImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 8, 4, 81);
        return mix(rgb(20, 60, 35), rgb(60, 110, 60), n);
    });
    return image;
}

Image rockImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 4, 5, 91);
        return mix(rgb(90, 88, 85), rgb(160, 155, 145), n);
    });
    return image;
}

Image canvasImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float weave =
            0.5f + 0.25f * (std::sin(u * 64 * 6.2831853f) + std::sin(v * 64 * 6.2831853f));
        const float stripe = std::fmod(u * 4.0f, 1.0f) < 0.5f ? 1.0f : 0.85f;
        return scaled(mix(rgb(210, 110, 40), rgb(240, 150, 70), weave), stripe);
    });
    return image;
}

Image logImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u * 2.0f, v, 4, 4, 101);
        return mix(rgb(60, 40, 28), rgb(115, 80, 50), n);
    });
    return image;
}

void writeTextures(DemoFolder& f) {
    f.writeTexture("sunsetsky", skyImage(), GR_TEXFMT_YIQ_422);
    f.writeTexture("grass", grassImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("sand", sandImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("lakewater", waterImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("lakeglow", waterReflectionImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("mountains", mountainImage(), GR_TEXFMT_YIQ_422);
    f.writeTexture("bark", barkImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("needles", needlesImage(), GR_TEXFMT_RGB_332);
    f.writeTexture("rock", rockImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("canvas", canvasImage(), GR_TEXFMT_ARGB_1555);
    f.writeTexture("firewood", logImage(), GR_TEXFMT_RGB_565);
}

std::string skyObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 255, 255, 0);
    s.luminosity(256);
    cylindricalImage(s, "sunsetsky", kAxisY, {900, 900, 900});
    m.sphere(450.0f, 12, 32, m.surface("Sky", s), {}, true);
    return f.writeObject("sky", m);
}

std::string mountainObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(200, 190, 230);
    cylindricalImage(s, "mountains", kAxisY, {1, 80, 1}, {0, 30, 0}, 4.0f);
    const uint16_t surface = m.surface("Mountains", s);
    const int segments = 72;
    const float radius = 210.0f;
    std::vector<uint16_t> base, peak;
    for (int j = 0; j < segments; ++j) {
        const float a = 6.2831853f * static_cast<float>(j) / segments;
        const float n = tileFbm(static_cast<float>(j) / segments, 0.3f, 6, 4, 7);
        const float h = 18.0f + 50.0f * n * n + (j % 3 == 0 ? 6.0f : 0.0f);
        const float r = radius + 25.0f * (n - 0.5f);
        base.push_back(m.point({r * std::cos(a), -8.0f, r * std::sin(a)}));
        peak.push_back(m.point({r * 0.96f * std::cos(a), h, r * 0.96f * std::sin(a)}));
    }
    for (int j = 0; j < segments; ++j) {
        const int k = (j + 1) % segments;
        // Faces towards the centre: seen from inside the ring.
        m.quad(base[j], base[k], peak[k], peak[j], surface);
    }
    return f.writeObject("mountains", m);
}

std::string terrainObject(DemoFolder& f) {
    LwobSurface grass = colourSurface(235, 240, 215);
    planarImage(grass, "grass", kAxisY, {7, 1, 7});
    LwobSurface sand = colourSurface(240, 230, 210);
    planarImage(sand, "sand", kAxisY, {5, 1, 5});
    // A height field whose cells round and under the water are shore sand.
    MeshBuilder field;
    field.surface("Meadow", grass);
    field.surface("Shore", sand);
    // Cells grow from under a metre at the camp to several metres at the rim: lighting
    // is computed per point, and the fire's light must fall off across the clearing.
    const int cells = 64;
    const auto warp = [](int i) {
        const float t = 2.0f * static_cast<float>(i) / cells - 1.0f;
        return 160.0f * (t < 0.0f ? -1.0f : 1.0f) * std::pow(std::fabs(t), 1.7f);
    };
    std::vector<uint16_t> index;
    for (int k = 0; k <= cells; ++k) {
        for (int i = 0; i <= cells; ++i) {
            const float x = warp(i), z = warp(k);
            index.push_back(field.point({x, groundHeight(x, z), z}));
        }
    }
    const auto at = [&](int i, int k) { return index[static_cast<size_t>(k * (cells + 1) + i)]; };
    for (int k = 0; k < cells; ++k) {
        for (int i = 0; i < cells; ++i) {
            const Vec3 centre = field.positions()[at(i, k)];
            const uint16_t s = lakeDistance(centre.x, centre.z) < 1.22f ? 2 : 1;
            if ((i + k) % 2 == 0) {
                field.quad(at(i, k), at(i, k + 1), at(i + 1, k + 1), at(i + 1, k), s);
            } else {
                field.quad(at(i + 1, k), at(i, k), at(i, k + 1), at(i + 1, k + 1), s);
            }
        }
    }
    return f.writeObject("terrain", field);
}

// The lake's surface in two wave states of equal points: the morph between them moves
// the waves (and the reflection read through their normals).
std::string waterObject(DemoFolder& f, const std::string& name, float phase) {
    MeshBuilder m;
    LwobSurface s = colourSurface(220, 230, 240);
    planarImage(s, "lakewater", kAxisY, {12, 1, 12});
    s.reflection(140).reflectionImage(imageName("lakeglow"));
    m.heightField(
        104.0f, 64.0f, 26, 16,
        [phase](float x, float z) {
            return 0.12f * std::sin(x * 0.9f + phase) * std::cos(z * 0.7f - phase * 0.6f) +
                   0.06f * std::sin(z * 2.1f + x * 0.4f + phase * 1.7f);
        },
        m.surface("Lake", s), Placement::at(kLakeCentre.x, kWaterLevel, kLakeCentre.z));
    return f.writeObject(name, m);
}

std::string pinesObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface bark = colourSurface(230, 220, 210);
    cylindricalImage(bark, "bark", kAxisY, {1, 3, 1}, {}, 2.0f);
    LwobSurface needles = colourSurface(210, 235, 215);
    cylindricalImage(needles, "needles", kAxisY, {1, 4, 1}, {}, 3.0f);
    const uint16_t trunk = m.surface("Bark", bark);
    const uint16_t crown = m.surface("Needles", needles);
    const float trees[][3] = {
        {-16, -6, 1.0f},  {-21, 4, 1.3f},  {-13, -16, 1.15f}, {-26, -12, 1.5f}, {18, -9, 1.2f},
        {24, 2, 1.4f},    {13, -19, 0.9f}, {30, -20, 1.6f},   {-34, 14, 1.5f},  {38, 18, 1.7f},
        {-8, -26, 1.4f},  {6, -30, 1.2f},  {-48, 30, 1.9f},   {52, 40, 2.0f},   {-44, -30, 1.8f},
        {-58, 52, 2.2f},  {-52, 64, 2.0f}, {58, 60, 2.1f},    {50, 74, 2.3f},   {-30, 78, 2.2f},
        {22, 80, 2.0f},   {-6, 84, 2.4f},  {36, 86, 1.9f},    {-62, 8, 2.0f},   {64, 10, 2.2f},
        {-20, -40, 2.0f}, {28, -36, 1.9f}};
    for (const auto& t : trees) {
        const float s = t[2];
        const float y = groundHeight(t[0], t[1]) - 0.2f;
        m.cylinder(0.22f * s, 2.0f * s, 7, trunk, Placement::at(t[0], y, t[1]), false);
        for (int tier = 0; tier < 3; ++tier) {
            const float base = y + (1.4f + tier * 1.5f) * s;
            const float r = (2.1f - tier * 0.55f) * s;
            m.lathe({{r, 0.0f}, {r * 0.45f, 1.2f * s}, {0.0f, 2.1f * s}}, 9, crown,
                    Placement::at(t[0], base, t[1]).turned(static_cast<float>(tier) * 17.0f));
        }
    }
    return f.writeObject("pines", m);
}

// A lumpy boulder: a sphere pushed in and out by noise.
void boulder(MeshBuilder& m, Vec3 at, float radius, uint16_t surface, uint32_t seed) {
    const auto first = static_cast<size_t>(m.pointCount());
    m.sphere(radius, 6, 9, surface, Placement::at(at.x, at.y, at.z).scaled(1.0f, 0.7f, 1.0f));
    auto& p = m.positions();
    for (size_t i = first; i < p.size(); ++i) {
        const Vec3 d = p[i] - at;
        const float n = hash01(static_cast<int32_t>(i - first), 0, seed);
        p[i] = at + d * (0.8f + 0.4f * n);
    }
}

std::string rocksObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(225, 220, 215);
    planarImage(s, "rock", kAxisX, {1, 2.5f, 2.5f}); // projected along x: faces of any turn
    const uint16_t surface = m.surface("Granite", s);
    const float rocks[][4] = {{-9, 10, 1.6f, 1}, {-6, 13, 0.9f, 2}, {11, 9, 1.2f, 3},
                              {-3, -9, 1.0f, 4}, {16, 22, 2.0f, 5}, {-24, 22, 1.8f, 6}};
    for (const auto& r : rocks) {
        boulder(m, {r[0], groundHeight(r[0], r[1]) + 0.3f * r[2], r[1]}, r[2], surface,
                static_cast<uint32_t>(r[3]));
    }
    return f.writeObject("rocks", m);
}

std::string tentObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 240, 220, kSmoothFlag | kDoubleSidedFlag);
    planarImage(s, "canvas", kAxisZ, {3, 2, 1}, {0, 1, 0});
    const uint16_t canvas = m.surface("Canvas", s);
    // An A-frame along z: two slopes and the back wall; the front stays open.
    const float w = 1.6f, h = 1.9f, d = 2.6f;
    const uint16_t a = m.point({-w, 0, -d}), b = m.point({0, h, -d}), c = m.point({w, 0, -d});
    const uint16_t a2 = m.point({-w, 0, d}), b2 = m.point({0, h, d}), c2 = m.point({w, 0, d});
    // Front faces outside: the canvas is lit from outside, seen from both sides.
    m.quad(a, a2, b2, b, canvas);
    m.quad(c, b, b2, c2, canvas);
    m.triangle(a, b, c, canvas);
    // The door flaps, folded open.
    const uint16_t f1 = m.point({-w * 1.5f, 0, d + 0.6f});
    const uint16_t f2 = m.point({w * 1.5f, 0, d + 0.6f});
    m.triangle(a2, f1, b2, canvas);
    m.triangle(c2, b2, f2, canvas);
    return f.writeObject("tent", m);
}

// Logs round the fire (cylindrical maps along x and z), a ring of stones, and seats.
std::string campfireObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface alongX = colourSurface(240, 230, 220);
    cylindricalImage(alongX, "firewood", kAxisX, {1.5f, 1, 1});
    LwobSurface alongZ = colourSurface(240, 230, 220);
    cylindricalImage(alongZ, "firewood", kAxisZ, {1, 1, 1.5f});
    LwobSurface stone = colourSurface(150, 145, 140);
    LwobSurface ember = colourSurface(255, 90, 30, kSmoothFlag);
    ember.luminosity(256);
    const uint16_t logX = m.surface("LogX", alongX);
    const uint16_t logZ = m.surface("LogZ", alongZ);
    const uint16_t stones = m.surface("FireStones", stone);
    const uint16_t glow = m.surface("Embers", ember);
    // Crossed logs in the fire (lying along x and along z, slightly tilted up).
    m.cylinder(0.12f, 1.3f, 7, logX, Placement::at(-0.65f, 0.12f, 0.1f).turned(0, 0, -80));
    m.cylinder(0.12f, 1.3f, 7, logZ, Placement::at(0.1f, 0.12f, -0.65f).turned(0, 80, 0));
    m.cylinder(0.11f, 1.2f, 7, logX, Placement::at(0.6f, 0.12f, -0.05f).turned(0, 0, 80));
    m.cylinder(0.11f, 1.2f, 7, logZ, Placement::at(-0.1f, 0.12f, 0.6f).turned(0, -80, 0));
    m.sphere(0.45f, 4, 8, glow, Placement::at(0, 0.0f, 0).scaled(1.0f, 0.25f, 1.0f));
    for (int i = 0; i < 10; ++i) {
        const float a = 6.2831853f * static_cast<float>(i) / 10.0f;
        boulder(m, {1.0f * std::cos(a), 0.08f, 1.0f * std::sin(a)}, 0.2f, stones,
                static_cast<uint32_t>(100 + i));
    }
    // Two seat logs.
    m.cylinder(0.2f, 2.4f, 8, logX, Placement::at(-1.2f, 0.2f, -2.4f).turned(0, 0, -90));
    m.cylinder(0.2f, 2.2f, 8, logZ, Placement::at(2.4f, 0.2f, -1.0f).turned(0, 90, 0));
    return f.writeObject("campfire", m);
}

std::string sunObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 220, 150, kSmoothFlag | kAdditiveFlag);
    m.sphere(16.0f, 8, 12, m.surface("SunGlow", s));
    return f.writeObject("sun", m);
}

} // namespace

SceneText buildOutdoor(DemoFolder& folder) {
    writeTextures(folder);
    SceneText scene(kLastFrame, 30.0f);

    scene.loadObject(skyObject(folder), still({}));
    scene.loadObject(mountainObject(folder), still({}));
    scene.loadObject(terrainObject(folder), still({}));
    scene.loadObject(pinesObject(folder), still({}));
    scene.loadObject(rocksObject(folder), still({}));
    scene.loadObject(tentObject(folder), still({-7.0f, 0.0f, -1.5f}, 60.0f));
    scene.loadObject(campfireObject(folder), still({0, groundHeight(0, 0), 0}));
    // The lake: its waves are a morph between two shapes, back and forth.
    const std::string water = waterObject(folder, "lake", 0.0f);
    const std::string waterB = waterObject(folder, "lake2", 2.2f);
    scene.loadObject(water, still({}));
    Envelope1 waves;
    for (int32_t frame = 0; frame <= kLastFrame + 1; frame += 45) {
        waves.push_back({(frame / 45) % 2 == 0 ? 0.0f : 1.0f, frame, 0, 0.0f, 0.0f, 0.0f});
    }
    const int32_t waterNumber = scene.objectCount();
    scene.morph(waves, waterNumber + 1, 1);
    scene.loadObject(waterB, still({}));
    // The sun's disc, an additive glow in the sky (after everything opaque).
    scene.loadObject(sunObject(folder), still(kSunPosition));

    SceneText::Light sun;
    sun.name = "Sun";
    const Vec3 toScene = normalized(Vec3{} - kSunPosition);
    KeyFrame sunKey = lookingAt(0, kSunPosition, kSunPosition + toScene);
    sun.motion = {sunKey};
    sun.r = 255, sun.g = 196, sun.b = 140;
    sun.intensity = 1.0f;
    sun.type = 0;
    sun.lensFlare = 1;
    sun.flareEnvelope = {{10.0f, 0},
                         {70.0f, 90, 0, 0.5f},
                         {52.0f, 200},
                         {60.0f, 420},
                         {75.0f, kLastFrame + 1, 0, -0.5f}};
    scene.light(sun);

    SceneText::Light fire;
    fire.name = "CampFire";
    fire.type = 1;
    fire.motion = still({0.0f, 1.1f, 0.0f});
    fire.r = 255, fire.g = 140, fire.b = 60;
    fire.intensityEnvelope = {{0.0f, 0}, {0.0f, 196}, {1.8f, 226, 0, 0.3f}};
    for (int32_t frame = 232; frame <= kLastFrame + 1; frame += 6) {
        fire.intensityEnvelope.push_back(
            {1.6f + 0.5f * hash01(frame, 0, 17), std::min(frame, kLastFrame + 1)});
    }
    fire.rangeEnvelope = flicker(15.0f, 2.0f, 24, 8, 5);
    scene.light(fire);

    scene.ambient(120, 128, 190, Envelope1{{0.75f, 0}, {0.7f, 200}, {0.5f, kLastFrame}});

    SceneText::Fire flames;
    flames.mode = 0;
    flames.particles = 70;
    flames.width = 0.38f;
    flames.height = 2.1f;
    flames.startFrame = 200.0f;
    flames.endFrame = 100000.0f;
    flames.fadeTime = 14;
    flames.color[0] = 255, flames.color[1] = 150, flames.color[2] = 60;
    flames.colorFade[0] = 0.3f, flames.colorFade[1] = 0.9f, flames.colorFade[2] = 1.0f;
    flames.texture = imageName("fire");
    flames.motion = still({0.0f, 0.15f, 0.0f});
    scene.fire(flames);

    SceneText::Fire embers = flames;
    embers.particles = 24;
    embers.width = 0.07f;
    embers.height = 4.5f;
    embers.fadeTime = 30;
    embers.startFrame = 215.0f;
    embers.color[0] = 255, embers.color[1] = 190, embers.color[2] = 90;
    embers.texture = "spark.tga";
    scene.fire(embers);

    SceneText::Camera camera;
    camera.zoom = 2.2f;
    // Across the lake towards the sun, round over the water to the camp as its fire
    // catches, and to rest behind the fire, the lake and the sunset beyond it.
    const Vec3 sunView{kSunPosition.x * 0.5f, 30.0f, kSunPosition.z * 0.5f};
    camera.motion = {
        lookingAt(0, {-8.0f, 3.6f, 12.0f}, sunView),
        lookingAt(120, {4.0f, 4.2f, 26.0f}, sunView + Vec3{30.0f, 0.0f, 0.0f}),
        lookingAt(215, {16.0f, 4.6f, 22.0f}, {-2.0f, 0.5f, 0.0f}),
        lookingAt(320, {9.0f, 3.0f, 8.0f}, {0.0f, 0.8f, 0.0f}),
        lookingAt(430, {-4.5f, 2.3f, 6.0f}, {0.0f, 1.0f, 0.0f}),
        lookingAt(485, {-4.6f, 2.1f, -3.6f}, {0.0f, 1.3f, 0.0f}), // round the fire, not through it
        lookingAt(kLastFrame + 1, {1.5f, 1.7f, -6.5f}, {0.0f, 2.4f, 24.0f}),
    };
    camera.motion.front().tension = 0.3f; // ease out of the opening view
    camera.motion.back().tension = 0.5f;  // settle behind the fire
    camera.motion[2].continuity = -0.2f;  // a firmer turn towards the shore
    unwrapAngles(camera.motion);
    scene.camera(camera);
    return scene;
}
