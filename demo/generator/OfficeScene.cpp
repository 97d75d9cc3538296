// "office": after hours. A sheet of paper on the desk folds itself into a paper plane
// and takes off on a tour of the room (past the window's night skyline, round the floor
// lamp, over the bookshelf) before landing back on the desk. The camera stands in the
// room and follows the plane (it is the camera's target object).
//
// World: the room spans x -6..6, z -5..5, y 0..3.2; the desk stands at the back wall,
// the window is in the front wall (+z). The monitor's screen takes its picture from a
// texture-coordinate file (objects/monitor.txc). Slot order: room and furniture, the
// plane, then the transparent window glass and the additive lamp glows.
#include <cmath>

#include "DemoFolder.h"

namespace {

constexpr int32_t kLastFrame = 419;
constexpr float kDeskTop = 0.76f;
const Vec3 kDesk{0.4f, 0.0f, -3.9f};
const Vec3 kDeskLampBulb{-0.5f, 1.28f, -4.2f};
const Vec3 kFloorLampBulb{-4.6f, 1.75f, -3.8f};

Image wallpaperImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float stripe = 0.5f + 0.5f * std::cos(u * 4.0f * 6.2831853f);
        const float n = tileNoise(u, v, 16, 401);
        return mix(mix(rgb(205, 190, 160), rgb(225, 212, 185), stripe), rgb(190, 175, 150),
                   n * 0.3f);
    });
    return image;
}

Image carpetImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 8, 3, 411),
                    fine = hash01(static_cast<int32_t>(u * 64), static_cast<int32_t>(v * 64), 412);
        return mix(rgb(70, 80, 110), rgb(100, 110, 140), n * 0.7f + fine * 0.3f);
    });
    return image;
}

Image woodImage() {
    Image image(128, 64);
    image.paint([](float u, float v) {
        const float n = tileFbm(u, v, 4, 4, 421);
        const float grain = 0.5f + 0.5f * std::sin((v * 18.0f + n * 4.0f) * 6.2831853f);
        return mix(rgb(120, 70, 40), rgb(175, 115, 65), grain * 0.7f + n * 0.3f);
    });
    return image;
}

// The monitor's picture: a chart and lines of text on a dark blue screen.
Image screenImage() {
    Image image(128, 128);
    image.paint([](float u, float v) {
        Color c = mix(rgb(16, 30, 70), rgb(30, 60, 120), v);
        if (u > 0.08f && u < 0.5f && v > 0.12f && v < 0.85f) {
            const int32_t line = static_cast<int32_t>(v * 24.0f);
            const float len = 0.2f + 0.28f * hash01(line, 0, 431);
            const bool text = std::fmod(v * 24.0f, 1.0f) < 0.5f && u < 0.08f + len &&
                              hash01(static_cast<int32_t>(u * 60.0f), line, 432) > 0.2f;
            if (text) {
                c = line % 5 == 0 ? rgb(255, 210, 90) : rgb(170, 220, 255);
            }
        }
        if (u > 0.56f && u < 0.92f && v > 0.2f && v < 0.8f) {
            const float bar = std::floor((u - 0.56f) / 0.06f);
            const float h = 0.25f + 0.5f * hash01(static_cast<int32_t>(bar), 1, 433);
            if (std::fmod((u - 0.56f) / 0.06f, 1.0f) < 0.7f && (0.8f - v) < h * 0.6f) {
                c = mix(rgb(80, 230, 140), rgb(255, 120, 90), bar / 6.0f);
            }
        }
        return c;
    });
    return image;
}

Image skylineImage() {
    Image image(256, 256);
    image.paint([](float u, float v) {
        // Night sky over towers with lit windows; v = 0 at the top.
        Color c = mix(rgb(20, 24, 60), rgb(70, 50, 90), v);
        const int32_t tower = static_cast<int32_t>(u * 24.0f);
        const float top = 0.25f + 0.45f * hash01(tower, 0, 441);
        if (v > top) {
            c = rgb(18, 18, 30);
            const float wx = std::fmod(u * 24.0f * 5.0f, 1.0f), wy = std::fmod(v * 60.0f, 1.0f);
            const int32_t wi = static_cast<int32_t>(u * 120.0f),
                          wj = static_cast<int32_t>(v * 60.0f);
            if (wx > 0.3f && wy > 0.4f && hash01(wi, wj, 442) > 0.55f) {
                c = hash01(wi, wj, 443) > 0.3f ? rgb(255, 210, 130) : rgb(160, 210, 255);
            }
        } else if (hash01(static_cast<int32_t>(u * 256), static_cast<int32_t>(v * 128), 444) >
                   0.995f) {
            c = rgb(230, 230, 255); // a star
        }
        return c;
    });
    return image;
}

Image clockImage() {
    Image image(64, 64);
    image.paint([](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f, r = std::sqrt(x * x + y * y);
        Color c = rgb(245, 240, 225);
        const float a = std::atan2(y, x) / 6.2831853f * 12.0f;
        if (r > 0.38f && r < 0.45f && std::fabs(a - std::round(a)) < 0.08f) {
            c = rgb(30, 30, 30);
        }
        if (r > 0.46f) {
            c = rgb(60, 40, 30);
        }
        c.a = r < 0.5f ? 1.0f : 0.0f;
        return c;
    });
    return image;
}

void writeTextures(DemoFolder& f) {
    f.writeTexture("wallpaper", wallpaperImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("carpet", carpetImage(), GR_TEXFMT_RGB_332);
    f.writeTexture("desktopwood", woodImage(), GR_TEXFMT_YIQ_422);
    f.writeTexture("screen", screenImage(), GR_TEXFMT_RGB_565);
    f.writeTexture("skyline", skylineImage(), GR_TEXFMT_P_8);
    f.writeTexture("clockface", clockImage(), GR_TEXFMT_ARGB_4444);
}

std::string roomObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface sideWalls = colourSurface(255, 250, 240);
    planarImage(sideWalls, "wallpaper", kAxisX, {1, 3.2f, 2.0f}, {0, 1.6f, 0});
    LwobSurface endWalls = colourSurface(255, 250, 240);
    planarImage(endWalls, "wallpaper", kAxisZ, {2.0f, 3.2f, 1}, {0, 1.6f, 0});
    LwobSurface carpet = colourSurface(240, 240, 250);
    planarImage(carpet, "carpet", kAxisY, {2, 1, 2});
    LwobSurface ceiling = colourSurface(210, 210, 205);
    const uint16_t side = m.surface("SideWalls", sideWalls);
    const uint16_t ends = m.surface("EndWalls", endWalls);
    const uint16_t floor = m.surface("Carpet", carpet);
    const uint16_t roof = m.surface("Ceiling", ceiling);
    // Each wall a grid, so the lamps' light falls off across it.
    const auto wall = [&](Vec3 origin, Vec3 across, Vec3 up, int nx, int ny, uint16_t s) {
        std::vector<uint16_t> grid;
        for (int j = 0; j <= ny; ++j) {
            for (int i = 0; i <= nx; ++i) {
                grid.push_back(m.point(origin + across * (static_cast<float>(i) / nx) +
                                       up * (static_cast<float>(j) / ny)));
            }
        }
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                const int a = j * (nx + 1) + i;
                m.quad(grid[a], grid[a + 1], grid[a + nx + 2], grid[a + nx + 1], s);
            }
        }
    };
    // Each listed so that across x up points into the room.
    wall({-6, 0, 5}, {0, 0, -10}, {0, 3.2f, 0}, 10, 4, side); // x = -6, faces +x
    wall({6, 0, -5}, {0, 0, 10}, {0, 3.2f, 0}, 10, 4, side);  // x = 6, faces -x
    wall({-6, 0, -5}, {12, 0, 0}, {0, 3.2f, 0}, 12, 4, ends); // z = -5, faces +z
    wall({6, 0, 5}, {-12, 0, 0}, {0, 3.2f, 0}, 12, 4, ends);  // z = 5, faces -z
    wall({-6, 0, -5}, {0, 0, 10}, {12, 0, 0}, 12, 10, floor); // y = 0, faces +y
    wall({-6, 3.2f, 5}, {0, 0, -10}, {12, 0, 0}, 6, 5, roof); // y = 3.2, faces -y
    return f.writeObject("room", m);
}

std::string windowObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface view = colourSurface(255, 255, 255, 0);
    view.luminosity(256);
    planarImage(view, "skyline", kAxisZ, {6.0f, 2.0f, 1}, {0.5f, 1.7f, 0});
    LwobSurface frame = colourSurface(235, 235, 230);
    const uint16_t city = m.surface("NightView", view);
    const uint16_t wood = m.surface("WindowFrame", frame);
    // The view sits just outside the wall; seen from the room it faces -z.
    m.panel(5.6f, 1.8f, city, Placement::at(0.5f, 1.7f, 4.98f));
    m.box({-2.45f, 0.72f, 4.85f}, {3.45f, 0.8f, 5.0f}, wood);
    m.box({-2.45f, 2.6f, 4.85f}, {3.45f, 2.68f, 5.0f}, wood);
    for (float x : {-2.45f, 0.5f, 3.37f}) {
        m.box({x, 0.8f, 4.88f}, {x + 0.08f, 2.6f, 5.0f}, wood);
    }
    return f.writeObject("window", m);
}

std::string deskObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface top = colourSurface(255, 245, 235);
    planarImage(top, "desktopwood", kAxisY, {2.0f, 1, 1.0f});
    LwobSurface front = colourSurface(240, 225, 210);
    planarImage(front, "desktopwood", kAxisZ, {2.0f, 1.0f, 1});
    LwobSurface metal = colourSurface(70, 70, 80);
    const uint16_t wood = m.surface("DeskTop", top);
    const uint16_t panel = m.surface("DeskFront", front);
    const uint16_t legs = m.surface("DeskMetal", metal);
    m.box({-1.2f, kDeskTop - 0.05f, -0.55f}, {1.2f, kDeskTop, 0.55f}, wood);
    m.box({0.35f, 0.05f, -0.5f}, {1.15f, kDeskTop - 0.05f, 0.5f}, panel); // drawers
    for (float x : {-1.12f, 1.05f}) {
        for (float z : {-0.48f, 0.42f}) {
            m.box({x, 0, z}, {x + 0.06f, kDeskTop - 0.05f, z + 0.06f}, legs);
        }
    }
    // Drawer handles.
    for (int i = 0; i < 3; ++i) {
        m.box({0.65f, 0.18f + i * 0.2f, 0.5f}, {0.85f, 0.21f + i * 0.2f, 0.53f}, legs);
    }
    return f.writeObject("desk", m);
}

// The monitor: its screen is mapped by the texture-coordinate file written beside it.
std::string monitorObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface plastic = colourSurface(50, 50, 58);
    LwobSurface screen = colourSurface(255, 255, 255, 0);
    screen.luminosity(256);
    planarImage(screen, "screen", kAxisZ, {1, 1, 1}); // coordinates come from the .txc
    const uint16_t body = m.surface("MonitorCase", plastic);
    const uint16_t glass = m.surface("MonitorScreen", screen);
    m.box({-0.32f, 0.12f, -0.28f}, {0.32f, 0.62f, 0.05f}, body);
    m.box({-0.06f, 0.0f, -0.1f}, {0.06f, 0.14f, 0.0f}, body);
    m.box({-0.18f, 0.0f, -0.15f}, {0.18f, 0.02f, 0.08f}, body);
    const int32_t firstScreen = m.triangleCount();
    const uint16_t p = m.points({{-0.28f, 0.16f, 0.052f},
                                 {-0.28f, 0.58f, 0.052f},
                                 {0.28f, 0.58f, 0.052f},
                                 {0.28f, 0.16f, 0.052f}});
    m.quad(p + 3, p + 2, p + 1, p, glass); // faces +z, towards the room
    // Corners of the two screen triangles: (p3, p2, p1) and (p3, p1, p0).
    const float uv[2][3][2] = {{{256, 256}, {256, 0}, {0, 0}}, {{256, 256}, {0, 0}, {0, 256}}};
    for (int t = 0; t < 2; ++t) {
        for (int c = 0; c < 3; ++c) {
            m.setCornerUv(firstScreen + t, c, uv[t][c][0], uv[t][c][1]);
        }
    }
    return f.writeObject("monitor", m);
}

std::string furnitureObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface shelfWood = colourSurface(240, 220, 200);
    planarImage(shelfWood, "desktopwood", kAxisX, {1, 1.0f, 2.0f});
    const uint16_t shelf = m.surface("Shelf", shelfWood);
    const int bookColours[6][3] = {{170, 40, 40}, {40, 80, 150},  {200, 170, 60},
                                   {40, 120, 70}, {120, 60, 130}, {220, 220, 210}};
    uint16_t books[6];
    for (int i = 0; i < 6; ++i) {
        books[i] =
            m.surface("Books" + std::to_string(i),
                      colourSurface(bookColours[i][0], bookColours[i][1], bookColours[i][2]));
    }
    // A bookshelf against the left wall.
    const float sx = -5.95f, depth = 0.4f, z0 = -1.2f, z1 = 1.6f;
    m.box({sx, 0, z0}, {sx + depth, 2.2f, z0 + 0.05f}, shelf);
    m.box({sx, 0, z1 - 0.05f}, {sx + depth, 2.2f, z1}, shelf);
    for (int level = 0; level < 5; ++level) {
        const float y = 0.05f + level * 0.52f;
        m.box({sx, y - 0.04f, z0}, {sx + depth, y, z1}, shelf);
        if (level == 4) {
            break;
        }
        float z = z0 + 0.08f;
        int k = level * 7;
        while (z < z1 - 0.15f) {
            const float w = 0.05f + 0.05f * hash01(k, level, 451);
            const float h = 0.28f + 0.16f * hash01(k, level, 452);
            m.box({sx + 0.03f, y, z}, {sx + depth - 0.04f, y + h, z + w}, books[k % 6]);
            z += w + 0.006f;
            ++k;
        }
    }
    // A chair by the desk.
    LwobSurface seat = colourSurface(60, 70, 90);
    const uint16_t cloth = m.surface("ChairCloth", seat);
    const Vec3 c{kDesk.x - 0.2f, 0.0f, kDesk.z + 0.95f};
    m.box({c.x - 0.25f, 0.42f, c.z - 0.25f}, {c.x + 0.25f, 0.5f, c.z + 0.25f}, cloth);
    m.box({c.x - 0.25f, 0.5f, c.z + 0.2f}, {c.x + 0.25f, 1.05f, c.z + 0.27f}, cloth);
    m.cylinder(0.04f, 0.42f, 6, cloth, Placement::at(c.x, 0, c.z));
    // A potted plant in the corner: leaves are thin and seen from both sides.
    LwobSurface pot = colourSurface(170, 80, 50);
    LwobSurface leaf = colourSurface(60, 150, 60, kSmoothFlag | kDoubleSidedFlag);
    const uint16_t clay = m.surface("Pot", pot);
    const uint16_t green = m.surface("Leaves", leaf);
    const Vec3 plant{4.9f, 0.0f, -4.2f};
    m.lathe({{0.18f, 0.0f}, {0.25f, 0.4f}, {0.27f, 0.45f}}, 10, clay,
            Placement::at(plant.x, 0, plant.z));
    for (int i = 0; i < 9; ++i) {
        const float a = 40.0f * i, lift = 30.0f + 25.0f * hash01(i, 0, 461);
        const Placement leafAt = Placement::at(plant.x, 0.42f, plant.z).turned(a, -lift);
        const uint16_t s = m.points(
            {{0, 0, 0}, {-0.09f, 0.02f, 0.35f}, {0, 0.05f, 0.75f}, {0.09f, 0.02f, 0.35f}}, leafAt);
        m.quad(s, s + 1, s + 2, s + 3, green);
    }
    // A mug on the desk.
    LwobSurface mug = colourSurface(230, 230, 235);
    m.lathe({{0.05f, 0.0f}, {0.055f, 0.11f}}, 10, m.surface("Mug", mug),
            Placement::at(kDesk.x + 0.8f, kDeskTop, kDesk.z + 0.15f), true, false);
    return f.writeObject("furniture", m);
}

std::string lampsObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface metal = colourSurface(180, 60, 50);
    LwobSurface bulb = colourSurface(255, 240, 200, 0);
    bulb.luminosity(256);
    LwobSurface shade = colourSurface(240, 220, 180, kSmoothFlag | kDoubleSidedFlag);
    const uint16_t red = m.surface("LampMetal", metal);
    const uint16_t light = m.surface("Bulb", bulb);
    const uint16_t cloth = m.surface("Shade", shade);
    // Desk lamp: base, arm, shade pointing down at the desk.
    const Vec3 d{kDeskLampBulb.x, kDeskTop, kDeskLampBulb.z};
    m.cylinder(0.1f, 0.03f, 10, red, Placement::at(d.x, d.y, d.z));
    m.cylinder(0.015f, 0.5f, 5, red, Placement::at(d.x, d.y, d.z).turned(0, 0, 0));
    m.lathe({{0.14f, 0.0f}, {0.06f, 0.14f}, {0.0f, 0.16f}}, 10, red,
            Placement::at(kDeskLampBulb.x, kDeskLampBulb.y - 0.06f, kDeskLampBulb.z), false, false);
    m.sphere(0.04f, 4, 6, light,
             Placement::at(kDeskLampBulb.x, kDeskLampBulb.y - 0.02f, kDeskLampBulb.z));
    // Floor lamp: a pole and a cloth shade open at both ends.
    const Vec3 fl = kFloorLampBulb;
    m.cylinder(0.18f, 0.03f, 10, red, Placement::at(fl.x, 0, fl.z));
    m.cylinder(0.02f, fl.y - 0.1f, 5, red, Placement::at(fl.x, 0, fl.z));
    m.lathe({{0.32f, fl.y - 0.2f}, {0.2f, fl.y + 0.15f}}, 14, cloth, Placement::at(fl.x, 0, fl.z),
            false, false);
    m.sphere(0.06f, 4, 6, light, Placement::at(fl.x, fl.y, fl.z));
    return f.writeObject("lamps", m);
}

// A wall clock on the back wall, and its hands as their own object (turned by bank).
std::string clockObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface face = colourSurface(255, 255, 255);
    planarImage(face, "clockface", kAxisZ, {0.6f, 0.6f, 1});
    m.lathe({{0.3f, 0.0f}, {0.3f, 0.04f}}, 20, m.surface("ClockFace", face),
            Placement::at(0, 0, 0).turned(0, 90), true, true);
    return f.writeObject("clock", m);
}

std::string clockHandsObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface black = colourSurface(20, 20, 20);
    const uint16_t hand = m.surface("ClockHands", black);
    m.box({-0.012f, -0.02f, 0.045f}, {0.012f, 0.22f, 0.055f}, hand);
    m.box({-0.018f, -0.02f, 0.055f}, {0.018f, 0.15f, 0.065f}, hand, Placement{}.turned(0, 0, -120));
    return f.writeObject("clockhands", m);
}

// The paper plane and the flat sheet it folds from: the same six corners, folded or
// lying flat, in the same order (a fan from the nose).
std::string paperObject(DemoFolder& f, const std::string& name, bool folded) {
    MeshBuilder m;
    LwobSurface paper = colourSurface(250, 250, 245, kDoubleSidedFlag);
    const uint16_t s = m.surface("Paper", paper);
    std::vector<Vec3> p;
    if (folded) {
        p = {{0, 0, 0.32f},           {-0.24f, 0.05f, -0.22f}, {0, 0.0f, -0.2f},
             {-0.01f, -0.09f, -0.2f}, {0.01f, -0.09f, -0.2f},  {0, 0.0f, -0.2f},
             {0.24f, 0.05f, -0.22f}};
    } else {
        p = {{0, 0, 0.32f},     {-0.3f, 0, -0.2f}, {-0.12f, 0, -0.2f}, {-0.01f, 0, -0.2f},
             {0.01f, 0, -0.2f}, {0.12f, 0, -0.2f}, {0.3f, 0, -0.2f}};
    }
    const uint16_t first = m.points(p);
    for (uint16_t i = 1; i < 6; ++i) {
        m.triangle(first, static_cast<uint16_t>(first + i + 1), static_cast<uint16_t>(first + i),
                   s);
    }
    return f.writeObject(name, m);
}

std::string glowsObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(255, 200, 120, kSmoothFlag | kAdditiveFlag);
    const uint16_t glow = m.surface("LampGlow", s);
    m.sphere(0.25f, 6, 10, glow,
             Placement::at(kFloorLampBulb.x, kFloorLampBulb.y, kFloorLampBulb.z));
    m.sphere(0.12f, 6, 10, glow,
             Placement::at(kDeskLampBulb.x, kDeskLampBulb.y - 0.04f, kDeskLampBulb.z));
    return f.writeObject("lampglows", m);
}

std::string glassObject(DemoFolder& f) {
    MeshBuilder m;
    LwobSurface s = colourSurface(170, 200, 230, 0);
    s.transparency(200);
    m.panel(5.8f, 1.8f, m.surface("WindowGlass", s), Placement::at(0.5f, 1.7f, 4.9f));
    return f.writeObject("glass", m);
}

// The plane's flight: positions, with heading along the path and bank into turns.
Motion9 flightPath() {
    struct Stop {
        int32_t frame;
        Vec3 position;
    };
    const float y = kDeskTop + 0.01f;
    const Stop stops[] = {
        {0, {kDesk.x - 0.1f, y, kDesk.z + 0.25f}},
        {75, {kDesk.x - 0.1f, y + 0.03f, kDesk.z + 0.25f}},
        {110, {kDesk.x + 1.0f, 1.3f, kDesk.z + 0.9f}},
        {165, {3.8f, 2.0f, -0.5f}},
        {215, {2.0f, 2.3f, 3.6f}},
        {265, {-2.8f, 1.9f, 3.0f}},
        {315, {-4.3f, 1.5f, -0.5f}},
        {360, {-3.0f, 1.3f, -3.4f}},
        {395, {-0.8f, 1.0f, -3.0f}},
        {kLastFrame + 1, {kDesk.x - 0.4f, y + 0.02f, kDesk.z + 0.3f}},
    };
    Motion9 keys;
    const size_t n = sizeof(stops) / sizeof(stops[0]);
    for (size_t i = 0; i < n; ++i) {
        KeyFrame k;
        k.frame = stops[i].frame;
        k.position = stops[i].position;
        const Vec3 ahead =
            stops[std::min(i + 1, n - 1)].position - stops[i > 0 ? i - 1 : 0].position;
        if (i >= 2 && length(ahead) > 0.01f) {
            k.heading = std::atan2(ahead.x, ahead.z) * 57.29578f;
            k.pitch = -std::atan2(ahead.y, std::sqrt(ahead.x * ahead.x + ahead.z * ahead.z)) *
                      57.29578f * 0.5f;
        } else {
            k.heading = -20.0f;
        }
        keys.push_back(k);
    }
    unwrapAngles(keys);
    // Bank into each turn: the change of heading around the key.
    for (size_t i = 2; i + 1 < n; ++i) {
        keys[i].bank =
            std::clamp((keys[i + 1].heading - keys[i - 1].heading) * 0.4f, -35.0f, 35.0f);
    }
    keys.back().heading = keys[n - 2].heading;
    keys.back().pitch = 0.0f;
    keys[1].tension = 0.5f; // a pause on the desk before take-off
    keys.back().tension = 0.8f;
    return keys;
}

} // namespace

SceneText buildOffice(DemoFolder& folder) {
    writeTextures(folder);
    SceneText scene(kLastFrame, 30.0f);

    scene.loadObject(roomObject(folder), still({}));
    scene.loadObject(windowObject(folder), still({}));
    scene.loadObject(deskObject(folder), still(kDesk));
    scene.loadObject(monitorObject(folder),
                     still({kDesk.x + 0.25f, kDeskTop, kDesk.z - 0.15f}, -10.0f));
    scene.loadObject(furnitureObject(folder), still({}));
    scene.loadObject(lampsObject(folder), still({}));
    scene.loadObject(clockObject(folder), still({2.8f, 2.3f, -4.93f}));
    // The hands turn: a quarter hour of the big hand in the scene's fourteen seconds.
    scene.loadObject(
        clockHandsObject(folder),
        Motion9{KeyFrame{{2.8f, 2.3f, -4.93f}, 0, 0, 0, {1, 1, 1}, 0, 1},
                KeyFrame{{2.8f, 2.3f, -4.93f}, 0, 0, 90.0f, {1, 1, 1}, kLastFrame + 1, 1}});

    // The sheet folds into the plane (two members, straight blend) and flies.
    const Motion9 flight = flightPath();
    Motion9 bigger = flight;
    for (KeyFrame& k : bigger) {
        k.scale = {1.6f, 1.6f, 1.6f};
    }
    const int32_t plane = scene.loadObject(paperObject(folder, "papersheet", false), bigger);
    scene.morph(
        Envelope1{{0.0f, 0}, {0.0f, 20}, {1.0f, 70, 0, 0.0f, 0.0f, 0.0f}, {1.0f, kLastFrame + 1}},
        plane + 1, 1);
    scene.loadObject(paperObject(folder, "paperplane", true), still({}));
    scene.nullObject("FlightRig", still({0.0f, 1.6f, 0.0f}));

    scene.loadObject(glassObject(folder), still({}));
    scene.loadObject(glowsObject(folder), still({}));

    SceneText::Light desk;
    desk.name = "DeskLamp";
    desk.type = 1;
    desk.motion = still(kDeskLampBulb + Vec3{0.0f, -0.1f, 0.0f});
    desk.r = 255, desk.g = 215, desk.b = 160;
    desk.range = 7.0f;
    desk.intensity = 1.4f;
    scene.light(desk);
    SceneText::Light floor = desk;
    floor.name = "FloorLamp";
    floor.motion = still(kFloorLampBulb);
    floor.r = 255, floor.g = 190, floor.b = 120;
    floor.range = 9.0f;
    floor.intensity = 1.3f;
    scene.light(floor);
    SceneText::Light ceiling = desk;
    ceiling.name = "CeilingLight";
    ceiling.motion = still({0.5f, 3.0f, 0.0f});
    ceiling.r = 255, ceiling.g = 235, ceiling.b = 205;
    ceiling.range = 10.0f;
    ceiling.intensity = 0.6f;
    scene.light(ceiling);
    SceneText::Light screen;
    screen.name = "ScreenGlow";
    screen.type = 1;
    screen.motion = still({kDesk.x + 0.25f, kDeskTop + 0.4f, kDesk.z + 0.3f});
    screen.r = 110, screen.g = 150, screen.b = 255;
    screen.range = 3.5f;
    screen.intensityEnvelope = flicker(0.9f, 0.08f, 30, 6, 471);
    scene.light(screen);
    // The desk lamp's beam as the original scene had it: a spot (it lights nothing here).
    SceneText::Light spot;
    spot.name = "DeskSpot";
    spot.type = 2;
    spot.motion = {lookingAt(0, kDeskLampBulb, {kDeskLampBulb.x, 0.0f, kDeskLampBulb.z + 0.3f})};
    spot.r = 255, spot.g = 230, spot.b = 190;
    spot.range = 4.0f;
    scene.light(spot);
    SceneText::Light city;
    city.name = "CityGlow";
    city.type = 0;
    city.motion = {lookingAt(0, {0.5f, 2.5f, 8.0f}, {0.0f, 0.5f, -4.0f})};
    city.r = 120, city.g = 140, city.b = 220;
    city.intensity = 0.5f;
    scene.light(city);

    scene.ambient(120, 115, 140, 0.6f);

    SceneText::Camera camera;
    camera.zoom = 1.5f;
    camera.targetNumber = plane;
    camera.motion = {
        {{1.0f, 1.45f, -1.5f}, 0, 0, 0, {1, 1, 1}, 0, 0, 0.5f},
        {{0.6f, 1.55f, -0.8f}, 0, 0, 0, {1, 1, 1}, 90},
        {{0.0f, 1.7f, 0.0f}, 0, 0, 0, {1, 1, 1}, 200},
        {{0.3f, 1.6f, -0.2f}, 0, 0, 0, {1, 1, 1}, 320},
        {{0.9f, 1.45f, -1.3f}, 0, 0, 0, {1, 1, 1}, kLastFrame + 1, 0, 0.6f},
    };
    scene.camera(camera);
    return scene;
}
