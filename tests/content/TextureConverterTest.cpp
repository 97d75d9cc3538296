#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "accel/TexelFormat.h"
#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "content/ColorQuantizer.h"
#include "content/ImageResample.h"
#include "content/NccFit.h"
#include "content/PngFile.h"
#include "content/TextureConverter.h"
#include "support/ScratchDirectory.h"

namespace {

class TextureConverterTest : public ScratchDirectoryTest {};

void put(RgbaImage& image, int32_t x, int32_t y, uint32_t argb) {
    uint8_t* p = image.at(x, y);
    p[0] = static_cast<uint8_t>(argb >> 16);
    p[1] = static_cast<uint8_t>(argb >> 8);
    p[2] = static_cast<uint8_t>(argb);
    p[3] = static_cast<uint8_t>(argb >> 24);
}

uint32_t get(const RgbaImage& image, int32_t x, int32_t y) {
    const uint8_t* p = image.at(x, y);
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[2];
}

// An 8x4 image whose every pixel the format can hold exactly: decoded raw texels (for the
// table formats, at most 256 colours, or 16 greys for the YIQ ones).
RgbaImage representableImage(GrTextureFormat_t format, uint32_t seed) {
    std::mt19937 random(seed);
    RgbaImage image;
    image.allocate(8, 4);
    GuNccTable ncc;
    uint32_t palette[256] = {};
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            uint32_t argb = 0;
            const uint32_t raw = static_cast<uint32_t>(random());
            switch (format) {
            case GR_TEXFMT_P_8:
                argb = 0xFF000000u | (raw & 0x00FFFFFFu);
                break;
            case GR_TEXFMT_AP_88:
                argb = raw;
                break;
            case GR_TEXFMT_YIQ_422:
            case GR_TEXFMT_AYIQ_8422: {
                const uint32_t grey = (raw % 16) * 17;
                const uint32_t alpha = format == GR_TEXFMT_YIQ_422 ? 255u : raw >> 24;
                argb = alpha << 24 | grey << 16 | grey << 8 | grey;
                break;
            }
            default:
                argb = decodeTexel(format, bytesPerTexel(format) == 1 ? raw & 0xFF : raw & 0xFFFF,
                                   ncc, palette);
                break;
            }
            put(image, x, y, argb);
        }
    }
    return image;
}

double rmsError(const RgbaImage& a, const RgbaImage& b) {
    double sum = 0.0;
    for (int32_t y = 0; y < a.height; ++y) {
        for (int32_t x = 0; x < a.width; ++x) {
            for (int32_t c = 0; c < 3; ++c) {
                const double d = a.at(x, y)[c] - b.at(x, y)[c];
                sum += d * d;
            }
        }
    }
    return std::sqrt(sum / (3.0 * a.width * a.height));
}

} // namespace

TEST_F(TextureConverterTest, EveryFormatRoundTripsThroughConvertFileAndExport) {
    for (GrTextureFormat_t format : kThreeDfFormats) {
        const RgbaImage image = representableImage(format, 5 + format);
        TextureConversion conversion;
        conversion.format = format;
        ThreeDfTexture texture;
        char message[256] = "";
        ASSERT_TRUE(convertImageToThreeDf(image, conversion, texture, message, sizeof(message)))
            << message;
        ASSERT_TRUE(write3dfFile("t.3df", texture.info)) << threeDfFormatName(format);
        ThreeDfTexture loaded;
        ASSERT_TRUE(loadThreeDfTexture("t.3df", loaded, message, sizeof(message))) << message;
        EXPECT_EQ(loaded.info.header.format, format);
        EXPECT_EQ(loaded.info.header.width, 8u);
        EXPECT_EQ(loaded.info.header.height, 4u);
        EXPECT_EQ(loaded.info.header.aspect_ratio, GR_ASPECT_2x1);
        RgbaImage exported;
        ASSERT_TRUE(decodeThreeDfLevel(loaded, 0, exported, message, sizeof(message)));
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 8; ++x) {
                uint32_t expected = get(image, x, y);
                if (format == GR_TEXFMT_P_8 || format == GR_TEXFMT_YIQ_422) {
                    expected |= 0xFF000000u;
                }
                ASSERT_EQ(get(exported, x, y), expected)
                    << threeDfFormatName(format) << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(TextureConverterTest, MipMapsAreBoxFilteredDownToOneTexel) {
    RgbaImage image;
    image.allocate(4, 2);
    const uint32_t greys[2][4] = {{10, 20, 200, 201}, {30, 41, 100, 0}};
    for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            const uint32_t g = greys[y][x];
            put(image, x, y, 0xFF000000u | g << 16 | g << 8 | g);
        }
    }
    TextureConversion conversion;
    conversion.format = GR_TEXFMT_ALPHA_INTENSITY_88;
    conversion.mipMaps = true;
    ThreeDfTexture texture;
    char message[256];
    ASSERT_TRUE(convertImageToThreeDf(image, conversion, texture, message, sizeof(message)));
    EXPECT_EQ(texture.info.header.large_lod, GR_LOD_4);
    EXPECT_EQ(texture.info.header.small_lod, GR_LOD_1);
    ASSERT_EQ(threeDfLevelCount(texture.info), 3); // 4x2, 2x1, 1x1
    RgbaImage level1, level2;
    ASSERT_TRUE(decodeThreeDfLevel(texture, 1, level1, message, sizeof(message)));
    ASSERT_EQ(level1.width, 2);
    ASSERT_EQ(level1.height, 1);
    EXPECT_EQ(level1.at(0, 0)[0], 25);  // (10 + 20 + 30 + 41) / 4 = 25.25
    EXPECT_EQ(level1.at(1, 0)[0], 125); // (200 + 201 + 100 + 0) / 4 = 125.25
    ASSERT_TRUE(decodeThreeDfLevel(texture, 2, level2, message, sizeof(message)));
    EXPECT_EQ(level2.at(0, 0)[0], 75);
    EXPECT_FALSE(decodeThreeDfLevel(texture, 3, level2, message, sizeof(message)));
    EXPECT_NE(std::string(message).find("levels 0..2"), std::string::npos);
}

TEST(TextureSize, NearestPowersOfTwoWithinEightToOne) {
    struct Case {
        int32_t w, h, tw, th;
    };
    const Case cases[] = {{256, 256, 256, 256}, {100, 37, 128, 32},  {3, 3, 4, 4},
                          {1, 1, 1, 1},         {1000, 10, 256, 32}, {1, 300, 32, 256},
                          {181, 90, 128, 64},   {182, 91, 256, 128}, {640, 480, 256, 256}};
    for (const Case& c : cases) {
        int32_t w = 0, h = 0;
        nearestTextureSize(c.w, c.h, w, h);
        EXPECT_EQ(w, c.tw) << c.w << "x" << c.h;
        EXPECT_EQ(h, c.th) << c.w << "x" << c.h;
    }
}

TEST(ImageResample, FlatImagesStayFlatAndTransparentColourDoesNotBleed) {
    RgbaImage image;
    image.allocate(7, 5);
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
            put(image, x, y, 0xFF3366CCu);
        }
    }
    RgbaImage result;
    ASSERT_TRUE(resampleImage(image, 8, 4, result));
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            EXPECT_EQ(get(result, x, y), 0xFF3366CCu);
        }
    }
    // Left half invisible red, right half opaque blue: no red may appear.
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 7; ++x) {
            put(image, x, y, x < 3 ? 0x00FF0000u : 0xFF0000FFu);
        }
    }
    ASSERT_TRUE(resampleImage(image, 4, 4, result));
    for (int32_t x = 0; x < 4; ++x) {
        const uint8_t* p = result.at(x, 2);
        if (p[3] > 0) {
            EXPECT_EQ(p[0], 0) << x;
            EXPECT_EQ(p[2], 255) << x;
        }
    }
}

TEST(ColorQuantizer, PaletteIsFittedToTheImageNotFixed) {
    std::vector<uint32_t> samples;
    ColorHistogram histogram;
    uint32_t palette[256];
    // 512 reds (all of one hue): a palette made for the image keeps every one within a
    // step or two, which no fixed palette of 256 colours does.
    samples.clear();
    for (uint32_t r = 0; r < 256; ++r) {
        samples.push_back(r << 16);
        samples.push_back(r << 16 | 0x000080);
    }
    ASSERT_TRUE(histogram.build(samples.data(), samples.size()));
    const int32_t count = buildPalette(histogram, 256, palette);
    EXPECT_EQ(count, 256);
    int32_t worst = 0;
    for (uint32_t s : samples) {
        const uint32_t p = palette[nearestPaletteEntry(palette, count, s)];
        for (int32_t shift : {16, 8, 0}) {
            worst = std::max(worst, std::abs(static_cast<int32_t>(p >> shift & 0xFF) -
                                             static_cast<int32_t>(s >> shift & 0xFF)));
        }
    }
    EXPECT_LE(worst, 2);
}

TEST(NccFit, SmoothImagesStayClose) {
    // A smooth two-tone image, like wood: mostly luminance, a little chroma.
    RgbaImage image;
    image.allocate(64, 64);
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            const double v = 0.5 + 0.5 * std::sin(x * 0.3 + std::sin(y * 0.1) * 3);
            const uint32_t r = static_cast<uint32_t>(90 + 120 * v);
            const uint32_t g = static_cast<uint32_t>(50 + 80 * v);
            const uint32_t b = static_cast<uint32_t>(20 + 40 * v);
            put(image, x, y, 0xFF000000u | r << 16 | g << 8 | b);
        }
    }
    TextureConversion conversion;
    conversion.format = GR_TEXFMT_YIQ_422;
    ThreeDfTexture texture;
    char message[256];
    ASSERT_TRUE(convertImageToThreeDf(image, conversion, texture, message, sizeof(message)));
    RgbaImage back;
    ASSERT_TRUE(decodeThreeDfLevel(texture, 0, back, message, sizeof(message)));
    EXPECT_LT(rmsError(image, back), 4.0);
}

TEST_F(TextureConverterTest, PngRoundTripsAndBadFilesAreRefusedWithAReason) {
    RgbaImage image;
    image.allocate(5, 3);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            put(image, x, y, static_cast<uint32_t>(x * 0x11223344 + y * 0x01020304));
        }
    }
    char message[256];
    ASSERT_TRUE(writePngFile("i.png", image, message, sizeof(message))) << message;
    RgbaImage back;
    ASSERT_TRUE(readPngFile("i.png", back, message, sizeof(message))) << message;
    ASSERT_EQ(back.width, 5);
    ASSERT_EQ(back.height, 3);
    EXPECT_EQ(std::memcmp(back.pixels.get(), image.pixels.get(), 5 * 3 * 4), 0);

    // Damaged files are in the hostile corpus.
    EXPECT_FALSE(readPngFile("missing.png", back, message, sizeof(message)));
    EXPECT_FALSE(writePngFile("no/such/dir/x.png", image, message, sizeof(message)));
}
