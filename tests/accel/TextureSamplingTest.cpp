#include <cmath>

#include "DeviceTestSupport.h"
#include "accel/PixelMath.h"
#include "accel/TexelFormat.h"

namespace {

class TextureSamplingTest : public DeviceTest {
protected:
    void SetUp() override { options_.textureMemoryBytes = 4096; }
    std::vector<uint32_t> row(int32_t y, int32_t n) const {
        std::vector<uint32_t> values;
        for (int32_t x = 0; x < n; ++x) {
            values.push_back(rgb(x, y));
        }
        return values;
    }
    // Levels of RGB565 texels, largest first, as one download.
    static std::vector<uint8_t> concat(std::initializer_list<std::vector<uint16_t>> levels) {
        std::vector<uint16_t> all;
        for (const auto& level : levels) {
            all.insert(all.end(), level.begin(), level.end());
        }
        return rgb565Texels(all);
    }
};

uint32_t grey(uint32_t v) {
    return v << 16 | v << 8 | v;
}

// A solid RGB565 level of n texels.
std::vector<uint16_t> solid(int32_t n, uint16_t texel) {
    return std::vector<uint16_t>(static_cast<size_t>(n), texel);
}

constexpr uint16_t kRed = 0xF800, kGreen = 0x07E0, kBlue = 0x001F, kWhite = 0xFFFF;

} // namespace

TEST(TexelFormat, EveryFormatExpandsItsChannelsByReplication) {
    GuNccTable ncc;
    uint32_t palette[256] = {};
    palette[0x42] = 0x00123456;
    EXPECT_EQ(decodeTexel(GR_TEXFMT_RGB_332, 0xE3, ncc, palette), 0xFFFF00FFu);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_RGB_332, 0x49, ncc, palette), 0xFF494955u);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ALPHA_8, 0x7A, ncc, palette), 0x7A7A7A7Au);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_INTENSITY_8, 0x7A, ncc, palette), 0xFF7A7A7Au);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ALPHA_INTENSITY_44, 0x3C, ncc, palette), 0x33CCCCCCu);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_P_8, 0x42, ncc, palette), 0xFF123456u);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ARGB_8332, 0x80E3, ncc, palette), 0x80FF00FFu);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_RGB_565, 0x8410, ncc, palette), 0xFF848284u);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ARGB_1555, 0x8000 | 31 << 10 | 1, ncc, palette), 0xFFFF0008u);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ARGB_1555, 0x7FFF, ncc, palette), 0x00FFFFFFu);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ARGB_4444, 0x1F80, ncc, palette), 0x11FF8800u);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_ALPHA_INTENSITY_88, 0x40C0, ncc, palette), 0x40C0C0C0u);
    EXPECT_EQ(decodeTexel(GR_TEXFMT_AP_88, 0x9942, ncc, palette), 0x99123456u);
}

TEST(TexelFormat, NccDecodingAddsSignedTermsAndClamps) {
    GuNccTable ncc;
    for (int32_t y = 0; y < 16; ++y) {
        ncc.yRGB[y] = static_cast<FxU8>(16 * y);
    }
    for (int32_t k = 0; k < 4; ++k) {
        ncc.iRGB[k][0] = static_cast<FxI16>(10 * k);
        ncc.iRGB[k][1] = static_cast<FxI16>(-5 * k);
        ncc.qRGB[k][1] = static_cast<FxI16>(7 * k);
        ncc.qRGB[k][2] = static_cast<FxI16>(-20 * k);
    }
    // y 11, i 1, q 2: (176 + 10, 176 - 5 + 14, 176 - 40)
    EXPECT_EQ(decodeNcc(ncc, 0xB6), 0xFF000000u | 186u << 16 | 185u << 8 | 136u);
    // y 15, i 0, q 3: green 240 + 21 clamps to 255
    EXPECT_EQ(decodeNcc(ncc, 0xF3), 0xFF000000u | 240u << 16 | 255u << 8 | 180u);
    // y 0, i 0, q 3: blue -60 clamps to 0
    EXPECT_EQ(decodeNcc(ncc, 0x03) & 0xFF, 0u);
}

TEST_F(TextureSamplingTest, PointSamplingMapsOneTexelPerPixel) {
    open(4, 4);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED);
    std::vector<uint16_t> texels;
    for (int32_t i = 0; i < 16; ++i) {
        texels.push_back(static_cast<uint16_t>(i * 0x1111));
    }
    std::vector<uint8_t> bytes = rgb565Texels(texels);
    loadTexture(0, GR_LOD_4, GR_LOD_4, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, bytes);
    texturedRectangle(0, 0, 4, 4, 0, 0, 256, 256);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(rgb(x, y), rgb565ToArgb(texels[y * 4 + x]) & 0xFFFFFF) << x << "," << y;
        }
    }
}

TEST_F(TextureSamplingTest, BilinearWeighsTheFourNearestTexelsAndWraps) {
    open(8, 1);
    texturedState(GR_TEXTUREFILTER_BILINEAR, GR_MIPMAP_DISABLE);
    std::vector<uint8_t> bytes = concat({{0x0000, kWhite}}); // 2x1: black, white
    loadTexture(0, GR_LOD_2, GR_LOD_2, GR_ASPECT_2x1, GR_TEXFMT_RGB_565, bytes);
    texturedRectangle(0, 0, 8, 1, 0, 0, 256, 128);
    // Texel centres at u = 0.5 and 1.5; pixel centres at u = (x + 0.5) / 4. Left of the
    // first centre the filter wraps round to the white texel.
    const std::vector<uint32_t> wrapped = {grey(96),  grey(32),  grey(32),  grey(96),
                                           grey(159), grey(223), grey(223), grey(159)};
    EXPECT_EQ(row(0, 8), wrapped);

    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
    texturedRectangle(0, 0, 8, 1, 0, 0, 256, 128);
    const std::vector<uint32_t> clamped = {grey(0),   grey(0),   grey(32),  grey(96),
                                           grey(159), grey(223), grey(255), grey(255)};
    EXPECT_EQ(row(0, 8), clamped);

    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
    texturedRectangle(0, 0, 8, 1, 0, 0, 256, 128);
    const std::vector<uint32_t> point = {0, 0, 0, 0, grey(255), grey(255), grey(255), grey(255)};
    EXPECT_EQ(row(0, 8), point);
}

TEST_F(TextureSamplingTest, MagnificationAndMinificationPickTheirOwnFilter) {
    open(8, 1);
    texturedState(GR_TEXTUREFILTER_BILINEAR, GR_MIPMAP_DISABLE);
    std::vector<uint8_t> bytes = concat({{0x0000, kWhite}});
    loadTexture(0, GR_LOD_2, GR_LOD_2, GR_ASPECT_2x1, GR_TEXFMT_RGB_565, bytes);
    // Two texels over eight pixels is magnification: the magnification filter decides.
    // (t runs 0..16 over the one row, so neither axis minifies.)
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_POINT_SAMPLED);
    texturedRectangle(0, 0, 8, 1, 0, 0, 256, 16);
    EXPECT_EQ(rgb(1, 0), 0u);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_BILINEAR);
    texturedRectangle(0, 0, 8, 1, 0, 0, 256, 16);
    EXPECT_EQ(rgb(1, 0), grey(32));
    // Sixteen texels per pixel across t: minification.
    texturedRectangle(0, 0, 8, 1, 0, 0, 256, 4096);
    EXPECT_EQ(rgb(1, 0), 0u);
}

TEST_F(TextureSamplingTest, WrapRepeatsAndClampHoldsTheEdgeTexel) {
    open(8, 1);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    std::vector<uint8_t> bytes = concat({{kRed, kGreen, kBlue, kWhite}}); // 4x1
    loadTexture(0, GR_LOD_4, GR_LOD_4, GR_ASPECT_4x1, GR_TEXFMT_RGB_565, bytes);
    texturedRectangle(0, 0, 8, 1, -256, 0, 256, 64); // two turns of the texture
    const uint32_t r = 0xFF0000, g = 0x00FF00, b = 0x0000FF, w = 0xFFFFFF;
    EXPECT_EQ(row(0, 8), (std::vector<uint32_t>{r, g, b, w, r, g, b, w}));
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_WRAP);
    texturedRectangle(0, 0, 8, 1, -256, 0, 256, 64);
    EXPECT_EQ(row(0, 8), (std::vector<uint32_t>{r, r, r, r, r, g, b, w}));
    texturedRectangle(0, 0, 8, 1, 256, 0, 768, 64);
    EXPECT_EQ(row(0, 8), (std::vector<uint32_t>(8, w)));
}

TEST_F(TextureSamplingTest, NearestMipLevelFollowsTheFootprint) {
    open(8, 8);
    // 8x8 red, 4x4 green, 2x2 blue, 1x1 white.
    std::vector<uint8_t> bytes =
        concat({solid(64, kRed), solid(16, kGreen), solid(4, kBlue), solid(1, kWhite)});
    loadTexture(0, GR_LOD_8, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, bytes);
    struct Case {
        float span; // texture coordinates across the 8-pixel quad
        uint32_t expected;
    };
    // One texel of the 8x8 level per pixel is s 32 per pixel, 256 over the quad.
    const Case cases[] = {{128, 0xFF0000},  {256, 0xFF0000}, {352, 0xFF0000}, // rho 1.375
                          {384, 0x00FF00},  {512, 0x00FF00}, {1024, 0x0000FF},
                          {2048, 0xFFFFFF}, {8192, 0xFFFFFF}};
    for (const Case& c : cases) {
        texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_NEAREST);
        texturedRectangle(0, 0, 8, 8, 0, 0, c.span, c.span);
        EXPECT_EQ(rgb(3, 3), c.expected) << c.span;
        texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
        texturedRectangle(0, 0, 8, 8, 0, 0, c.span, c.span);
        EXPECT_EQ(rgb(3, 3), 0xFF0000u) << c.span;
    }
}

TEST_F(TextureSamplingTest, TextureCoordinatesArePerspectiveCorrect) {
    open(64, 1);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    std::vector<uint16_t> texels;
    for (int32_t i = 0; i < 64; ++i) {
        texels.push_back(static_cast<uint16_t>((i & 31) << 11 | (i >> 5) << 5));
    }
    std::vector<uint8_t> bytes = rgb565Texels(texels); // 64x8 (8:1), only row 0 matters
    bytes.resize(64 * 8 * 2, 0);
    loadTexture(0, GR_LOD_64, GR_LOD_64, GR_ASPECT_8x1, GR_TEXFMT_RGB_565, bytes);
    // Left edge at w = 1, right edge at w = 4.
    const GrVertex a = textured(0, 0, 0, 0, 1), b = textured(64, 0, 256, 0, 4);
    const GrVertex c = textured(64, 1, 256, 1, 4), d = textured(0, 1, 0, 1, 1);
    triangle(a, b, c);
    triangle(a, c, d);
    int32_t checked = 0;
    for (int32_t x = 0; x < 64; ++x) {
        const double f = (x + 0.5) / 64.0;
        const double oow = 1.0 + (0.25 - 1.0) * f;
        const double sow = 256.0 * 0.25 * f;
        const double u = sow / oow / 4.0; // 64 texels over s 0..256
        if (std::fabs(u - std::round(u)) < 0.01) {
            continue; // too close to a texel boundary to call
        }
        EXPECT_EQ(rgb(x, 0), rgb565ToArgb(texels[static_cast<int32_t>(u)]) & 0xFFFFFF) << x;
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

TEST_F(TextureSamplingTest, NccTexturesDecodeThroughTheSelectedTable) {
    open(2, 1);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    GuNccTable dark, light;
    for (int32_t y = 0; y < 16; ++y) {
        dark.yRGB[y] = static_cast<FxU8>(y);
        light.yRGB[y] = static_cast<FxU8>(200 + y);
    }
    light.iRGB[1][0] = 40; // i = 1 adds red in the light table
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_NCC0, &dark);
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_NCC1, &light);
    std::vector<uint8_t> texels = {0x30, 0x34}; // y 3, i 0 | y 3, i 1
    loadTexture(0, GR_LOD_2, GR_LOD_2, GR_ASPECT_2x1, GR_TEXFMT_YIQ_422, texels);
    grTexNCCTable(GR_TMU0, GR_NCCTABLE_NCC0);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(row(0, 2), (std::vector<uint32_t>{grey(3), grey(3)}));
    grTexNCCTable(GR_TMU0, GR_NCCTABLE_NCC1);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(row(0, 2), (std::vector<uint32_t>{grey(203), grey(203) + (40u << 16)}));
    // A new table in the selected slot changes what the same texels show.
    light.yRGB[3] = 100;
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_NCC1, &light);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(rgb(0, 0), grey(100));

    // AYIQ: alpha in the high byte (shown by scaling the colour by texture alpha).
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_ALPHA,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    std::vector<uint8_t> ayiq(4);
    const uint16_t texel = 0x8030; // alpha 128, y 3
    std::memcpy(ayiq.data(), &texel, 2);
    std::memcpy(ayiq.data() + 2, &texel, 2);
    loadTexture(8, GR_LOD_2, GR_LOD_2, GR_ASPECT_2x1, GR_TEXFMT_AYIQ_8422, ayiq);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(rgb(0, 0), grey(static_cast<uint32_t>(mul255(100, 128))));
}

TEST_F(TextureSamplingTest, PaletteTexturesDecodeThroughThePalette) {
    open(2, 1);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    GuTexPalette palette;
    palette.data[0] = 0x00123456;
    palette.data[255] = 0xFFABCDEF; // the top byte is not part of the entry
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &palette);
    std::vector<uint8_t> texels = {0x00, 0xFF};
    loadTexture(0, GR_LOD_2, GR_LOD_2, GR_ASPECT_2x1, GR_TEXFMT_P_8, texels);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(row(0, 2), (std::vector<uint32_t>{0x123456, 0xABCDEF}));
    palette.data[0] = 0x00000080;
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &palette);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(rgb(0, 0), 0x000080u);

    std::vector<uint8_t> ap88(4);
    const uint16_t texel = 0x40FF; // alpha 64, index 255
    std::memcpy(ap88.data(), &texel, 2);
    std::memcpy(ap88.data() + 2, &texel, 2);
    loadTexture(8, GR_LOD_2, GR_LOD_2, GR_ASPECT_2x1, GR_TEXFMT_AP_88, ap88);
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_ALPHA,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    texturedRectangle(0, 0, 2, 1, 0, 0, 256, 128);
    EXPECT_EQ(rgb(1, 0), static_cast<uint32_t>(mul255(0xAB, 64) << 16 | mul255(0xCD, 64) << 8 |
                                               mul255(0xEF, 64)));
}

TEST_F(TextureSamplingTest, TexelsAreReadFromTextureMemoryAtDrawTime) {
    open(4, 4);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    std::vector<uint8_t> red4x4 = concat({solid(16, kRed)});
    loadTexture(0, GR_LOD_4, GR_LOD_4, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, red4x4);
    texturedRectangle(0, 0, 4, 4, 0, 0, 256, 256);
    EXPECT_EQ(rgb(0, 1), 0xFF0000u);
    // A later download over part of the same addresses: texel (0, 1) is bytes 8..9.
    std::vector<uint8_t> blue = concat({{kBlue}});
    GrTexInfo one;
    one.largeLod = one.smallLod = GR_LOD_1;
    one.aspectRatio = GR_ASPECT_1x1;
    one.format = GR_TEXFMT_RGB_565;
    one.data = blue.data();
    grTexDownloadMipMap(GR_TMU0, 8, GR_MIPMAPLEVELMASK_BOTH, &one);
    texturedRectangle(0, 0, 4, 4, 0, 0, 256, 256); // the old source, no new grTexSource
    EXPECT_EQ(rgb(0, 1), 0x0000FFu);
    EXPECT_EQ(rgb(1, 1), 0xFF0000u);
    // Downloading the same bytes again changes nothing and decodes nothing.
    const uint64_t decodes = device_->frameCounters().textureDecodes;
    grTexDownloadMipMap(GR_TMU0, 8, GR_MIPMAPLEVELMASK_BOTH, &one);
    texturedRectangle(0, 0, 4, 4, 0, 0, 256, 256);
    EXPECT_EQ(device_->frameCounters().textureDecodes, decodes);
}

TEST_F(TextureSamplingTest, DownloadsAndSourcesPastTheEndAreBoundedAndReportedOnce) {
    options_.textureMemoryBytes = 64;
    open(8, 8);
    texturedState(GR_TEXTUREFILTER_POINT_SAMPLED, GR_MIPMAP_DISABLE);
    std::vector<uint8_t> white8x8 = concat({solid(64, kWhite)}); // 128 bytes
    loadTexture(32, GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, white8x8);
    loadTexture(48, GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, white8x8);
    ASSERT_EQ(reports_.size(), 2u); // one download line, one source line
    EXPECT_NE(reports_[0].find("passes the end of texture memory"), std::string::npos);
    EXPECT_NE(reports_[1].find("reaches past the end"), std::string::npos);
    // The 8 texels that fit (bytes 48..63) are white, the rest read as zero.
    texturedRectangle(0, 0, 8, 8, 0, 0, 256, 256);
    EXPECT_EQ(rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(rgb(7, 0), 0xFFFFFFu);
    EXPECT_EQ(rgb(0, 1), 0u);
    EXPECT_EQ(rgb(7, 7), 0u);
    // Downloads far beyond the end or wrapping the address range touch nothing.
    loadTexture(0xFFFFFFF0u, GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, white8x8);
    EXPECT_EQ(reports_.size(), 2u);
}

TEST_F(TextureSamplingTest, MissingOrNullSourceSamplesOpaqueWhite) {
    open(2, 2);
    texturedState();
    rectangle(0, 0, 2, 2, vertex(0, 0, 10, 20, 30));
    EXPECT_EQ(rgb(1, 1), 0x0A141Eu);
    std::vector<uint8_t> black = concat({solid(1, 0)});
    loadTexture(0, GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, black);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, nullptr); // no texture, deliberately
    rectangle(0, 0, 2, 2, vertex(0, 0, 40, 50, 60));
    EXPECT_EQ(rgb(1, 1), 0x28323Cu);
    EXPECT_TRUE(reports_.empty());
}
