// "theend": the closing title. A cloud of glowing blocks drifting in the dark flies
// together into the words THE END, embers flare beneath them and a glint of light
// sweeps across; then the blocks rise apart like sparks as the title fades away.
//
// The title is one object of cubes, one per lit cell of a 5x7 block font, in three
// shapes with the same points in the same order (scattered, the title, rising apart):
// a three-member morph chain with the cubic blend. Its colours come from a
// texture-coordinate file (objects/title.txc) that lays an ember gradient across the
// words in every shape.
#include <cmath>
#include <string>

#include "DemoFolder.h"

namespace {

constexpr int32_t kLastFrame = 299;
constexpr float kCell = 0.55f;

const char* glyph(char c) {
    switch (c) {
    case 'T':
        return "#####"
               "..#.."
               "..#.."
               "..#.."
               "..#.."
               "..#.."
               "..#..";
    case 'H':
        return "#...#"
               "#...#"
               "#...#"
               "#####"
               "#...#"
               "#...#"
               "#...#";
    case 'E':
        return "#####"
               "#...."
               "#...."
               "####."
               "#...."
               "#...."
               "#####";
    case 'N':
        return "#...#"
               "##..#"
               "##..#"
               "#.#.#"
               "#..##"
               "#..##"
               "#...#";
    case 'D':
        return "####."
               "#...#"
               "#...#"
               "#...#"
               "#...#"
               "#...#"
               "####.";
    default:
        return ".....................................";
    }
}

struct Cell {
    Vec3 centre; // in the title
    float u, v;  // where the cell lies in the gradient, 0..256
};

std::vector<Cell> titleCells(const std::string& text) {
    std::vector<Cell> cells;
    const float width = static_cast<float>(text.size() * 6 - 1) * kCell;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') {
            continue;
        }
        const char* g = glyph(text[i]);
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (g[row * 5 + col] != '#') {
                    continue;
                }
                const float x = (static_cast<float>(i * 6 + col) + 0.5f) * kCell - width * 0.5f;
                const float y = (3.0f - static_cast<float>(row)) * kCell;
                cells.push_back({{x, y, 0.0f},
                                 (x / width + 0.5f) * 256.0f,
                                 static_cast<float>(row) / 6.0f * 200.0f + 28.0f});
            }
        }
    }
    return cells;
}

// Shape 0: scattered in a shell; 1: the title; 2: rising and spreading like sparks.
std::string titleObject(DemoFolder& f, const std::string& name, int shape) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 240, 220, 0);
    planarImage(s, "embergradient", kAxisZ, {12, 4, 1}); // coordinates come from the .txc
    const uint16_t surface = m.surface("TitleBlocks", s);
    const std::vector<Cell> cells = titleCells("THE END");
    const float half = kCell * 0.44f;
    for (size_t i = 0; i < cells.size(); ++i) {
        const auto k = static_cast<int32_t>(i);
        Placement at = Placement::at(cells[i].centre.x, cells[i].centre.y, cells[i].centre.z);
        if (shape == 0) {
            // Below and around: the blocks rise into the title and, carried on by the
            // cubic blend, on upwards when it breaks apart.
            const float a = 6.2831853f * hash01(k, 1, 501);
            const float r = 6.0f + 12.0f * hash01(k, 3, 501);
            at = Placement::at(cells[i].centre.x * 1.6f + r * std::cos(a) * 0.6f,
                               -14.0f - 8.0f * hash01(k, 2, 501), 4.0f + r * std::sin(a))
                     .turned(360.0f * hash01(k, 4, 501), 360.0f * hash01(k, 5, 501),
                             360.0f * hash01(k, 6, 501));
        } else if (shape == 2) {
            const float lift = 2.5f + 5.0f * hash01(k, 7, 502);
            at = Placement::at(cells[i].centre.x * 1.25f + 2.0f * (hash01(k, 8, 502) - 0.5f),
                               cells[i].centre.y + lift,
                               cells[i].centre.z - 3.0f * hash01(k, 9, 502))
                     .turned(90.0f * (hash01(k, 10, 502) - 0.5f), 90.0f * hash01(k, 11, 502));
        }
        const int32_t firstTriangle = m.triangleCount();
        m.box({-half, -half, -half}, {half, half, half}, surface, at);
        for (int32_t t = firstTriangle; t < m.triangleCount(); ++t) {
            for (int c = 0; c < 3; ++c) {
                m.setCornerUv(t, c, cells[i].u, cells[i].v);
            }
        }
    }
    return f.writeObject(name, m);
}

Image emberGradientImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        // Left to right: deep red to gold; top rows brighter.
        Color c = mix(rgb(255, 90, 40), rgb(255, 210, 90), u);
        return mix(c, rgb(255, 245, 200), (1.0f - v) * 0.35f);
    });
    return image;
}

Image starsImage() {
    Image image(256, 128);
    image.paint([](float u, float v) {
        const int32_t x = static_cast<int32_t>(u * 256), y = static_cast<int32_t>(v * 128);
        const float h = hash01(x, y, 511);
        float i = h > 0.992f ? 0.5f + 0.5f * hash01(x, y, 512) : 0.0f;
        i += 0.4f * smoothstep(0.42f, 0.85f, tileFbm(u, v, 4, 4, 513)); // a dim nebula
        const float c = clamp01(i);
        return Color{c, c, c, c};
    });
    return image;
}

void writeTextures(DemoFolder& f) {
    f.writeTexture("embergradient", emberGradientImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("stars", starsImage(), GR_TEXFMT_ALPHA_8);
}

std::string skyObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(170, 150, 255, 0);
    s.luminosity(256);
    cylindricalImage(s, "stars", kAxisY, {1, 300, 1}, {}, 3.0f);
    m.sphere(150.0f, 10, 24, m.surface("StarField", s), {}, true);
    return f.writeObject("starfield", m);
}

// A thin glowing bar under the title, additive.
std::string underlineObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 150, 70, kSmoothFlag | kAdditiveFlag);
    m.lathe({{0.0f, -6.0f}, {0.12f, -5.0f}, {0.12f, 5.0f}, {0.0f, 6.0f}}, 8,
            m.surface("EmberLine", s), Placement::at(0, 0, 0).turned(0, 0, 90));
    return f.writeObject("underline", m);
}

} // namespace

SceneText buildTheEnd(DemoFolder& folder) {
    writeTextures(folder);
    SceneText scene(kLastFrame, 30.0f);

    scene.loadObject(skyObject(folder),
                     Motion9{KeyFrame{{}, 0, 0, 0, {1, 1, 1}, 0},
                             KeyFrame{{}, 20.0f, 0, 0, {1, 1, 1}, kLastFrame + 1}});
    const std::string scattered = titleObject(folder, "title", 0);
    const std::string title = titleObject(folder, "title2", 1);
    const std::string rising = titleObject(folder, "title3", 2);
    const int32_t head = scene.loadObject(scattered, still({0.0f, 1.0f, 0.0f}));
    // Tension 1 on the hold's keys keeps the title still between them.
    scene.morph(Envelope1{{0.0f, 0},
                          {1.0f, 125, 0, 1.0f},
                          {1.0f, 215, 0, 1.0f},
                          {2.0f, kLastFrame + 1, 0, -0.4f}},
                head + 1, 0);
    scene.dissolve(
        Envelope1{{0.0f, 0}, {0.0f, 225}, {1.0f, kLastFrame - 8}, {1.0f, kLastFrame + 1}});
    scene.loadObject(title, still({}));
    scene.morph(0.0f, head + 2, 0);
    scene.loadObject(rising, still({}));
    // The ember line grows under the title as it forms, and fades with it.
    scene.loadObject(underlineObject(folder),
                     Motion9{KeyFrame{{0.0f, -1.4f, 0.0f}, 0, 0, 0, {0.01f, 1, 1}, 0},
                             KeyFrame{{0.0f, -1.4f, 0.0f}, 0, 0, 0, {0.01f, 1, 1}, 100},
                             KeyFrame{{0.0f, -1.4f, 0.0f}, 0, 0, 0, {1.0f, 1, 1}, 150, 0, 0.5f},
                             KeyFrame{{0.0f, -1.4f, 0.0f}, 0, 0, 0, {1.0f, 1, 1}, kLastFrame + 1}});
    scene.dissolve(
        Envelope1{{0.0f, 0}, {0.0f, 225}, {1.0f, kLastFrame - 8}, {1.0f, kLastFrame + 1}});

    SceneText::Light key;
    key.name = "Key";
    key.type = 0;
    key.motion = {lookingAt(0, {-10, 12, -20}, {0, 0, 0})};
    key.r = 255, key.g = 235, key.b = 210;
    key.intensityEnvelope = {{0.9f, 0}, {0.9f, 220}, {0.2f, kLastFrame + 1}};
    scene.light(key);

    // A glint that sweeps across in front of the title once it has formed.
    SceneText::Light glint;
    glint.name = "Glint";
    glint.type = 1;
    glint.motion = {KeyFrame{{-16.0f, 2.5f, -3.0f}, 0, 0, 0, {1, 1, 1}, 0},
                    KeyFrame{{-14.0f, 2.5f, -3.0f}, 0, 0, 0, {1, 1, 1}, 125},
                    KeyFrame{{14.0f, 1.5f, -3.0f}, 0, 0, 0, {1, 1, 1}, 215},
                    KeyFrame{{16.0f, 1.5f, -3.0f}, 0, 0, 0, {1, 1, 1}, kLastFrame + 1}};
    glint.r = 255, glint.g = 220, glint.b = 170;
    glint.range = 9.0f;
    glint.lensFlare = 1;
    glint.flareEnvelope = {
        {0.0f, 0}, {0.0f, 125}, {2.2f, 170}, {0.0f, 215}, {0.0f, kLastFrame + 1}};
    scene.light(glint);

    scene.ambient(255, 220, 200, Envelope1{{0.55f, 0}, {0.55f, 220}, {0.1f, kLastFrame + 1}});

    // Embers under the title: each catches in turn and dies before the end.
    for (int i = 0; i < 5; ++i) {
        SceneText::Fire fire;
        fire.mode = 0;
        fire.particles = 20;
        fire.width = 0.3f;
        fire.height = 1.6f;
        fire.startFrame = 100.0f + 12.0f * i;
        fire.endFrame = 225.0f + 8.0f * i;
        fire.fadeTime = 16;
        fire.color[0] = 255, fire.color[1] = 130, fire.color[2] = 50;
        fire.colorFade[0] = 0.5f, fire.colorFade[1] = 1.0f, fire.colorFade[2] = 1.0f;
        fire.texture = imageName("fire");
        fire.motion = still({-8.0f + 4.0f * i, -1.6f, 0.3f});
        scene.fire(fire);
    }

    SceneText::Camera camera;
    camera.zoom = 2.0f;
    camera.motion = {lookingAt(0, {-3.0f, 2.0f, -36.0f}, {0.0f, 0.8f, 0.0f}),
                     lookingAt(150, {0.0f, 1.2f, -28.0f}, {0.0f, 0.5f, 0.0f}),
                     lookingAt(kLastFrame + 1, {1.5f, 1.6f, -25.0f}, {0.0f, 1.5f, 0.0f})};
    camera.motion.front().tension = 0.5f;
    unwrapAngles(camera.motion);
    scene.camera(camera);
    return scene;
}
