// Every way of drawing must give exactly the pixels of the general span drawn at once on
// one thread: the same random scenes are drawn by a device restricted to the general
// span, one restricted to the four-wide SSE2 spans, one to the eight-wide AVX2 spans, one
// free to use the sixteen-wide AVX-512 spans (where the processor has them), and devices
// drawing in bands on 2, 3 and 8
// threads, in every state the fast spans cover (and some they do not), with clears, clip
// windows, both origins, swaps and texture downloads over textures that recorded
// triangles still use; the buffers and the counters are compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "accel/SoftwareDevice.h"
#include "accel/TextureLayout.h"

namespace {

struct Scene {
    uint32_t seed;
    AccelColorMode mode;
    float largest = 0.7f;  // the largest triangle, as a part of the width
    int32_t triangles = 0; // for each state (0: by the size)
};

struct Combine {
    GrCombineFunction_t function;
    GrCombineFactor_t factor;
    GrCombineLocal_t local;
    GrCombineOther_t other;
};
const Combine kCombines[] = {
    // opaque Gouraud; faded by the constant alpha
    {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
     GR_COMBINE_OTHER_CONSTANT},
    {GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL, GR_COMBINE_FACTOR_LOCAL_ALPHA,
     GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT},
    // a state only the general span handles; texture x vertex colour
    {GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_CONSTANT,
     GR_COMBINE_OTHER_TEXTURE},
    {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, GR_COMBINE_LOCAL_ITERATED,
     GR_COMBINE_OTHER_TEXTURE}};
// Colour source and destination factors: opaque, additive, blended.
const GrAlphaBlendFnc_t kBlends[][2] = {{GR_BLEND_ONE, GR_BLEND_ZERO},
                                        {GR_BLEND_ONE, GR_BLEND_ONE},
                                        {GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_SRC_ALPHA}};

// Draws the same pseudo-random scene on whichever device is current.
void drawScene(const Scene& scene, int32_t width, int32_t height) {
    const uint32_t seed = scene.seed;
    std::mt19937 random(seed);
    auto uniform = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(random);
    };
    grBufferClear(0x00203040, 0, 0xFFFF);

    // A mip-mapped 64x32 texture and a 16x16 one, both at the bottom of memory.
    GrTexInfo big;
    big.largeLod = GR_LOD_64;
    big.smallLod = GR_LOD_1;
    big.aspectRatio = GR_ASPECT_2x1;
    big.format = GR_TEXFMT_ARGB_4444;
    std::vector<uint16_t> bigTexels(textureTexelBytes(big) / 2);
    for (uint16_t& t : bigTexels) {
        t = static_cast<uint16_t>(random());
    }
    big.data = bigTexels.data();
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &big);
    GrTexInfo small = big;
    small.largeLod = small.smallLod = GR_LOD_16;
    small.aspectRatio = GR_ASPECT_1x1;
    small.format = GR_TEXFMT_RGB_565;
    const uint32_t smallAddress = textureMemoryRequired(GR_MIPMAPLEVELMASK_BOTH, big);
    grTexDownloadMipMap(GR_TMU0, smallAddress, GR_MIPMAPLEVELMASK_BOTH, &small);

    const GrDitherMode_t dithers[] = {GR_DITHER_DISABLE, GR_DITHER_2x2, GR_DITHER_4x4};
    const GrCmpFnc_t compares[] = {GR_CMP_LESS, GR_CMP_LEQUAL, GR_CMP_ALWAYS, GR_CMP_GREATER,
                                   GR_CMP_NOTEQUAL};
    for (int32_t batch = 0; batch < 24; ++batch) {
        switch (random() % 8) {
        case 0: // a swap, and the next frame starts from the other buffer
            grBufferSwap(0);
            break;
        case 1: // a clear of part of the screen
            grClipWindow(random() % width, random() % height, random() % (width + 5),
                         random() % (height + 5));
            grBufferClear(static_cast<GrColor_t>(random()), 0, static_cast<FxU16>(random()));
            break;
        case 2: // new texels where the big texture lies, used by triangles drawn before
            for (uint16_t& t : bigTexels) {
                t = static_cast<uint16_t>(random());
            }
            grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &big);
            break;
        default:
            break;
        }
        grSstOrigin(random() % 3 == 0 ? GR_ORIGIN_UPPER_LEFT : GR_ORIGIN_LOWER_LEFT);
        if (random() % 3 == 0) {
            grClipWindow(random() % width, random() % height, width - random() % 8,
                         height - random() % 8);
        } else {
            grClipWindow(0, 0, width, height);
        }
        grDitherMode(dithers[random() % 3]);
        grDepthBufferMode(random() % 4 == 0 ? GR_DEPTHBUFFER_DISABLE : GR_DEPTHBUFFER_WBUFFER);
        grDepthBufferFunction(compares[random() % 5]);
        grDepthMask(random() % 3 != 0 ? FXTRUE : FXFALSE);
        const GrColor_t constant = static_cast<GrColor_t>(random());
        grConstantColorValue(constant);
        const Combine& combine = kCombines[random() % 4];
        grColorCombine(combine.function, combine.factor, combine.local, combine.other, FXFALSE);
        grAlphaCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                       GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        const GrAlphaBlendFnc_t* blend = kBlends[random() % 3];
        grAlphaBlendFunction(blend[0], blend[1], GR_BLEND_ONE, GR_BLEND_ZERO);
        const GrTextureFilterMode_t filter =
            random() % 3 == 0 ? GR_TEXTUREFILTER_POINT_SAMPLED : GR_TEXTUREFILTER_BILINEAR;
        grTexFilterMode(GR_TMU0, filter, filter);
        grTexMipMapMode(GR_TMU0, random() % 4 == 0 ? GR_MIPMAP_DISABLE : GR_MIPMAP_NEAREST,
                        FXFALSE);
        grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP,
                       random() % 5 == 0 ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP);
        if (random() % 2 == 0) {
            grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &big);
        } else {
            grTexSource(GR_TMU0, smallAddress, GR_MIPMAPLEVELMASK_BOTH, &small);
        }
        const int32_t triangles =
            scene.triangles > 0 ? scene.triangles : (scene.largest < 0.5f ? 96 : 12);
        for (int32_t i = 0; i < triangles; ++i) {
            GrVertex v[3];
            const float cx = uniform(-10.0f, width + 10.0f), cy = uniform(-10.0f, height + 10.0f);
            const float size = uniform(1.0f, std::max(2.0f, scene.largest * width));
            for (GrVertex& p : v) {
                p.x = std::nearbyint((cx + uniform(-size, size)) * 16.0f) / 16.0f;
                p.y = std::nearbyint((cy + uniform(-size, size)) * 16.0f) / 16.0f;
                p.r = uniform(-20.0f, 270.0f);
                p.g = uniform(0.0f, 256.0f);
                p.b = uniform(0.0f, 255.0f);
                p.a = uniform(0.0f, 255.0f);
                const float w = uniform(0.5f, 50.0f);
                p.oow = 1.0f / w;
                p.ooz = 65535.0f / w;
                p.tmuvtx[0].oow = random() % 8 == 0 ? 1.0f / uniform(0.5f, 50.0f) : p.oow;
                p.tmuvtx[0].sow = uniform(-600.0f, 600.0f) * p.tmuvtx[0].oow;
                p.tmuvtx[0].tow = uniform(-600.0f, 600.0f) * p.tmuvtx[0].oow;
            }
            grDrawTriangle(&v[0], &v[1], &v[2]);
        }
    }
}

class FastSpanEquivalenceTest : public ::testing::TestWithParam<Scene> {
protected:
    void TearDown() override { setAcceleratorDevice(nullptr); }
};

} // namespace

namespace {

// Draws the scene with one span path; the caller compares the devices.
std::unique_ptr<SoftwareDevice> drawWith(SpanPath path, const Scene& scene, int32_t width,
                                         int32_t height, int32_t threads = 1) {
    SoftwareDeviceOptions options;
    options.width = width;
    options.height = height;
    options.colorMode = scene.mode;
    options.report = [](void*, const char*) {};
    options.spanPath = path;
    options.rasterThreads = threads;
    auto device = std::make_unique<SoftwareDevice>(options);
    setAcceleratorDevice(device.get());
    EXPECT_TRUE(grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                             GR_ORIGIN_LOWER_LEFT, 2, 1));
    drawScene(scene, width, height);
    setAcceleratorDevice(nullptr);
    return device;
}

void expectSamePixels(const SoftwareDevice& fast, const SoftwareDevice& general, const char* name) {
    SCOPED_TRACE(name);
    ASSERT_GT(fast.totalCounters().pixelsWritten, 1000u);
    EXPECT_EQ(fast.totalCounters().pixelsWritten, general.totalCounters().pixelsWritten);
    EXPECT_EQ(fast.frameCounters().pixelsWritten, general.frameCounters().pixelsWritten);
    EXPECT_EQ(fast.totalCounters().frames, general.totalCounters().frames);
    int32_t differences = 0;
    for (int32_t y = 0; y < general.height(); ++y) {
        for (int32_t x = 0; x < general.width(); ++x) {
            if (fast.backPixel(x, y) != general.backPixel(x, y) ||
                fast.frontPixel(x, y) != general.frontPixel(x, y) ||
                fast.depthValue(x, y) != general.depthValue(x, y)) {
                if (++differences <= 5) {
                    ADD_FAILURE() << "pixel " << x << "," << y << ": fast " << std::hex
                                  << fast.backPixel(x, y) << " / " << fast.depthValue(x, y)
                                  << ", general " << general.backPixel(x, y) << " / "
                                  << general.depthValue(x, y);
                }
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

} // namespace

TEST_P(FastSpanEquivalenceTest, FastAndGeneralSpansWriteTheSamePixelsAndDepths) {
    const Scene scene = GetParam();
    const int32_t width = 61, height = 47; // odd sizes: spans of every length and offset
    const auto general = drawWith(SpanPath::General, scene, width, height);
    expectSamePixels(*drawWith(SpanPath::Sse2, scene, width, height), *general, "SSE2");
    expectSamePixels(*drawWith(SpanPath::Avx2, scene, width, height), *general, "AVX2");
    expectSamePixels(*drawWith(SpanPath::Fastest, scene, width, height), *general, "fastest");
    if (!avx512SpansAvailable()) {
        GTEST_SKIP() << "this processor has no AVX-512: the widest spans compared were "
                     << (avx2SpansAvailable() ? "AVX2" : "SSE2");
    }
}

TEST_P(FastSpanEquivalenceTest, DrawingInBandsOnManyThreadsWritesTheSamePixelsAndDepths) {
    const Scene scene = GetParam();
    // Bands of 8 rows at the small size; of 8 and 16 rows, the last one cut short, at the
    // other.
    for (const auto& [width, height] : {std::pair{61, 47}, std::pair{203, 157}}) {
        const auto general = drawWith(SpanPath::General, scene, width, height);
        for (const int32_t threads : {2, 8}) {
            SCOPED_TRACE(threads);
            expectSamePixels(*drawWith(SpanPath::Fastest, scene, width, height, threads), *general,
                             "fastest spans in bands");
        }
        expectSamePixels(*drawWith(SpanPath::General, scene, width, height, 3), *general,
                         "general span in bands");
    }
}

INSTANTIATE_TEST_SUITE_P(
    RandomScenes, FastSpanEquivalenceTest,
    ::testing::Values(Scene{1, AccelColorMode::Authentic16}, Scene{2, AccelColorMode::Authentic16},
                      Scene{3, AccelColorMode::Authentic16}, Scene{4, AccelColorMode::Clean32},
                      Scene{5, AccelColorMode::Clean32}, Scene{6, AccelColorMode::Authentic16},
                      // small triangles: spans of a few pixels, drawn several to a group
                      Scene{7, AccelColorMode::Authentic16, 0.1f},
                      Scene{8, AccelColorMode::Clean32, 0.1f},
                      // enough drawing in a frame that batches are handed over while the
                      // one before is still drawn
                      Scene{9, AccelColorMode::Authentic16, 0.3f, 400}));
