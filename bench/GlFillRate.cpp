// The triangles of bench_fill_rate drawn through OpenGL, for comparison with whatever
// OpenGL implementation the display offers (under xvfb-run: Mesa's llvmpipe, whose
// threads LP_NUM_THREADS sets). Same triangles, same states as far as OpenGL has them:
// vertex colour times a bilinear, nearest-mip-mapped 256x256 RGB565 texture,
// perspective-correct, depth-tested LEQUAL against one plane so that every covered pixel
// is shaded and written, 32-bit colour.
//
// Prints one line per case: `gl <case> <area> <Mpixels/s>`. The pixels per pass are the
// ones the software accelerator writes for the same triangles (the fill rules agree).
// With no display or no OpenGL it says so and exits 0, so that scripts go on without it.
#include <SDL.h>
#include <SDL_opengl.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "FillRateTriangles.h"
#include "accel/SoftwareDevice.h"
#include "accel/TextureLayout.h"

namespace {

using fillrate::kHeight;
using fillrate::kWidth;

// Pixels the software accelerator writes for the triangles (one thread, opaque
// Gouraud: coverage only).
uint64_t pixelsPerPass(const std::vector<GrVertex>& vertices) {
    SoftwareDeviceOptions options;
    options.rasterThreads = 1;
    SoftwareDevice device(options);
    setAcceleratorDevice(&device);
    grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                 GR_ORIGIN_UPPER_LEFT, 2, 1);
    for (size_t i = 0; i + 2 < vertices.size(); i += 3) {
        grDrawTriangle(&vertices[i], &vertices[i + 1], &vertices[i + 2]);
    }
    const uint64_t pixels = device.frameCounters().pixelsWritten;
    grGlideShutdown();
    setAcceleratorDevice(nullptr);
    return pixels;
}

struct GlVertex {
    float position[4]; // clip coordinates: NDC times w
    float texture[2];  // 0..1 over the 256-texel texture
    uint8_t color[4];
};

std::vector<GlVertex> toGl(const std::vector<GrVertex>& vertices) {
    std::vector<GlVertex> out;
    for (const GrVertex& v : vertices) {
        const float w = 1.0f / v.oow;
        GlVertex g;
        g.position[0] = (v.x / (kWidth / 2.0f) - 1.0f) * w;
        g.position[1] = (1.0f - v.y / (kHeight / 2.0f)) * w;
        g.position[2] = (2.0f * (1.0f - v.oow) - 1.0f) * w;
        g.position[3] = w;
        g.texture[0] = v.tmuvtx[0].sow / v.oow / 256.0f;
        g.texture[1] = v.tmuvtx[0].tow / v.oow / 256.0f;
        g.color[0] = static_cast<uint8_t>(v.r);
        g.color[1] = static_cast<uint8_t>(v.g);
        g.color[2] = static_cast<uint8_t>(v.b);
        g.color[3] = 255;
        out.push_back(g);
    }
    return out;
}

void setUpTexture() {
    std::vector<uint16_t> texels(256 * 256);
    std::mt19937 random(99);
    for (uint16_t& t : texels) {
        t = static_cast<uint16_t>(random());
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

double measure(SDL_Window* window, const std::vector<GlVertex>& vertices, uint64_t pixels) {
    glVertexPointer(4, GL_FLOAT, sizeof(GlVertex), vertices[0].position);
    glTexCoordPointer(2, GL_FLOAT, sizeof(GlVertex), vertices[0].texture);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(GlVertex), vertices[0].color);
    const auto pass = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    };
    pass();
    glFinish();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int64_t passes = 0;
    double seconds = 0.0;
    while (seconds < 1.0) {
        pass();
        glFinish();
        ++passes;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    SDL_GL_SwapWindow(window);
    return static_cast<double>(pixels) * static_cast<double>(passes) / seconds / 1e6;
}

} // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::printf("bench_gl_fill_rate: no display (%s); skipped\n", SDL_GetError());
        return 0;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window =
        SDL_CreateWindow("bench_gl_fill_rate", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                         kWidth, kHeight, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) {
        std::printf("bench_gl_fill_rate: no OpenGL (%s); skipped\n", SDL_GetError());
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
        SDL_Quit();
        return 0;
    }
    std::printf("gl renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    glViewport(0, 0, kWidth, kHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    setUpTexture();
    for (const bool textured : {false, true}) {
        if (textured) {
            glEnable(GL_TEXTURE_2D);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        for (const double area : {10.0, 100.0, 5000.0}) {
            const std::vector<GrVertex> triangles =
                fillrate::makeTriangles(area, fillrate::triangleCount(area));
            const double rate = measure(window, toGl(triangles), pixelsPerPass(triangles));
            std::printf("gl %s %.0f %.1f\n", textured ? "textured" : "gouraud", area, rate);
            std::fflush(stdout);
        }
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
