// Pictures that object clips name: IFF pictures in every variant, written here and
// decoded exactly; JPEG, BMP and Targa through stb_image; the kind told by the bytes;
// damaged and lying files refused with a reason.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "content/IlbmPicture.h"
#include "content/PictureFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put2(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void put4(Bytes& b, uint32_t v) {
    put2(b, v >> 16);
    put2(b, v & 0xFFFF);
}
void chunk(Bytes& b, const char* id, const Bytes& data) {
    b.insert(b.end(), id, id + 4);
    put4(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) {
        b.push_back(0);
    }
}
Bytes form(const char* type, const Bytes& chunks) {
    Bytes b = {'F', 'O', 'R', 'M'};
    put4(b, static_cast<uint32_t>(chunks.size() + 4));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}
Bytes header(int w, int h, int planes, int masking, int compression, int transparent = 0) {
    Bytes b;
    put2(b, w);
    put2(b, h);
    put4(b, 0);
    b.push_back(static_cast<uint8_t>(planes));
    b.push_back(static_cast<uint8_t>(masking));
    b.push_back(static_cast<uint8_t>(compression));
    b.push_back(0);
    put2(b, transparent);
    b.push_back(1);
    b.push_back(1);
    put2(b, w);
    put2(b, h);
    return b;
}

// ByteRun1: runs of equal bytes repeated (1 - n, byte), the bytes between them literal
// (n - 1, bytes).
Bytes byteRun1(const Bytes& in) {
    Bytes out;
    size_t literal = std::string::npos; // where the open literal run's count is
    for (size_t i = 0, run = 1; i < in.size(); i += run) {
        for (run = 1; i + run < in.size() && in[i + run] == in[i] && run < 128; ++run) {
        }
        if (run > 1) {
            out.insert(out.end(), {static_cast<uint8_t>(1 - static_cast<int>(run)), in[i]});
            literal = std::string::npos;
            continue;
        }
        if (literal == std::string::npos || out[literal] == 127) {
            literal = out.size();
            out.push_back(0xFF); // a count of -1 until its first byte
        }
        ++out[literal];
        out.push_back(in[i]);
    }
    return out;
}

struct Ilbm {
    Ilbm(int w, int h, int p, std::function<uint32_t(int, int)> v, Bytes cmap = {},
         int64_t mode = -1, bool compress = false)
        : width(w), height(h), planes(p), value(std::move(v)), palette(std::move(cmap)), camg(mode),
          compressed(compress) {}

    int width, height, planes;
    std::function<uint32_t(int, int)> value; // plane value of pixel (x, y)
    Bytes palette;                           // CMAP
    int64_t camg;                            // CAMG, when >= 0
    bool compressed;
    int masking = 0, transparent = 0;
    std::function<bool(int, int)> opaque; // mask plane bit (masking 1)

    Bytes bytes() const {
        const int rowBytes = (width + 15) / 16 * 2;
        Bytes body;
        for (int y = 0; y < height; ++y) {
            Bytes row;
            const int rows = planes + (masking == 1 ? 1 : 0);
            for (int p = 0; p < rows; ++p) {
                Bytes plane(static_cast<size_t>(rowBytes), 0);
                for (int x = 0; x < width; ++x) {
                    const bool bit = p < planes ? ((value(x, y) >> p) & 1) != 0 : opaque(x, y);
                    if (bit) {
                        plane[static_cast<size_t>(x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
                    }
                }
                row.insert(row.end(), plane.begin(), plane.end());
            }
            const Bytes stored = compressed ? byteRun1(row) : row;
            body.insert(body.end(), stored.begin(), stored.end());
        }
        Bytes chunks;
        chunk(chunks, "BMHD",
              header(width, height, planes, masking, compressed ? 1 : 0, transparent));
        if (!palette.empty()) {
            chunk(chunks, "CMAP", palette);
        }
        if (camg >= 0) {
            Bytes mode;
            put4(mode, static_cast<uint32_t>(camg));
            chunk(chunks, "CAMG", mode);
        }
        chunk(chunks, "BODY", body);
        return form("ILBM", chunks);
    }
};

RgbaImage decode(const Bytes& bytes, std::string* message = nullptr) {
    RgbaImage image;
    char text[256] = {};
    decodePicture(bytes.data(), bytes.size(), image, text, sizeof text);
    if (message != nullptr) {
        *message = text;
    }
    return image;
}

// Pixel (x, y) as 0xRRGGBBAA.
uint32_t pixel(const RgbaImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

Bytes paletteOf(int colours) {
    Bytes palette;
    for (int i = 0; i < colours; ++i) {
        palette.push_back(static_cast<uint8_t>(i * 7 + 1));
        palette.push_back(static_cast<uint8_t>(255 - i * 3));
        palette.push_back(static_cast<uint8_t>(i * 11 % 256));
    }
    return palette;
}

uint32_t paletteColour(const Bytes& palette, uint32_t i, int shift = 0) {
    return static_cast<uint32_t>(palette[i * 3] >> shift) << 24 |
           static_cast<uint32_t>(palette[i * 3 + 1] >> shift) << 16 |
           static_cast<uint32_t>(palette[i * 3 + 2] >> shift) << 8 | 0xFF;
}

TEST(IlbmPictureTest, IndexedPicturesOfEveryPlaneCountDecodeThroughTheirPalette) {
    for (int planes = 1; planes <= 8; ++planes) {
        for (bool compressed : {false, true}) {
            const uint32_t mask = (1u << planes) - 1;
            // 21 wide, not a multiple of 16: rows are padded.
            const Ilbm ilbm{21,
                            5,
                            planes,
                            [mask](int x, int y) {
                                return static_cast<uint32_t>(x * 3 + y * 5 + (x > 10 ? 0 : 1)) &
                                       mask;
                            },
                            paletteOf(1 << planes),
                            0,
                            compressed};
            const RgbaImage image = decode(ilbm.bytes());
            ASSERT_EQ(image.width, 21) << planes << " planes";
            ASSERT_EQ(image.height, 5);
            for (int y = 0; y < 5; ++y) {
                for (int x = 0; x < 21; ++x) {
                    ASSERT_EQ(pixel(image, x, y), paletteColour(ilbm.palette, ilbm.value(x, y)))
                        << planes << " planes, compressed " << compressed << " at " << x << ","
                        << y;
                }
            }
        }
    }
}

TEST(IlbmPictureTest, ExtraHalfBriteAndFourBitPalettes) {
    const std::vector<uint32_t> row = {0, 1, 32, 33};
    // Two colours with low nibbles set; 32 and 33 are them at half brightness.
    const Ilbm ehb{4,
                   1,
                   6,
                   [&](int x, int) { return row[static_cast<size_t>(x)]; },
                   {0x80, 0x40, 0x22, 0x10, 0x20, 0x30},
                   0x80};
    RgbaImage image = decode(ehb.bytes());
    ASSERT_EQ(image.width, 4);
    EXPECT_EQ(pixel(image, 0, 0), 0x804022FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0x102030FFu);
    EXPECT_EQ(pixel(image, 2, 0), 0x402011FFu);
    EXPECT_EQ(pixel(image, 3, 0), 0x081018FFu);

    // Old writers stored 4-bit colours in the high nibble: 0xF0 means 0xFF.
    const Ilbm old{2,
                   1,
                   1,
                   [](int x, int) { return static_cast<uint32_t>(x & 1); },
                   {0xF0, 0x80, 0x00, 0x10, 0x20, 0x30},
                   0};
    image = decode(old.bytes());
    EXPECT_EQ(pixel(image, 0, 0), 0xFF8800FFu);
    EXPECT_EQ(pixel(image, 1, 0), 0x112233FFu);
}

TEST(IlbmPictureTest, HoldAndModifyKeepsTheColourToTheLeft) {
    // HAM6: codes 00 palette, 01 blue, 10 red, 11 green with four data bits (x 17).
    const std::vector<uint32_t> row6 = {0x10 | 0x3, 0x20 | 0xF, 0x30 | 0x1, 0x00 | 0x2, 0x10};
    const Ilbm ham6{
        5,     2,   6, [&](int x, int) { return row6[static_cast<size_t>(x)]; }, paletteOf(16),
        0x800, true};
    const RgbaImage image6 = decode(ham6.bytes());
    ASSERT_EQ(image6.width, 5);
    const uint32_t c0 = paletteColour(ham6.palette, 0);
    EXPECT_EQ(pixel(image6, 0, 1), (c0 & 0xFFFF00FF) | 0x33 << 8); // row starts from colour 0
    EXPECT_EQ(pixel(image6, 1, 1), (c0 & 0x00FF00FF) | 0xFF000000u | 0x33 << 8);
    EXPECT_EQ(pixel(image6, 2, 1), 0xFF113300u | 0xFF);
    EXPECT_EQ(pixel(image6, 3, 1), paletteColour(ham6.palette, 2));
    EXPECT_EQ(pixel(image6, 4, 1), (paletteColour(ham6.palette, 2) & 0xFFFF00FF));

    // HAM8: six data bits, widened as (v << 2) | (v >> 4).
    const std::vector<uint32_t> row8 = {0x80 | 0x3F, 0x40 | 0x01, 0xC0 | 0x20, 0x05};
    const Ilbm ham8{
        4,     1,   8, [&](int x, int) { return row8[static_cast<size_t>(x)]; }, paletteOf(64),
        0x800, true};
    const RgbaImage image8 = decode(ham8.bytes());
    const uint32_t h0 = paletteColour(ham8.palette, 0);
    EXPECT_EQ(pixel(image8, 0, 0), (h0 & 0x00FFFFFF) | 0xFF000000u);
    EXPECT_EQ(pixel(image8, 1, 0), (h0 & 0x00FF00FF) | 0xFF000000u | 0x04 << 8);
    EXPECT_EQ(pixel(image8, 2, 0), 0xFF820400u | 0xFF);
    EXPECT_EQ(pixel(image8, 3, 0), paletteColour(ham8.palette, 5));
}

TEST(IlbmPictureTest, DeepPicturesAndMasks) {
    for (bool compressed : {false, true}) {
        // 24 planes: red in planes 0-7, green 8-15, blue 16-23; 32 adds alpha.
        Ilbm deep{17, 3, 32, [](int x, int y) {
                      return static_cast<uint32_t>(x * 15) | static_cast<uint32_t>(y * 100) << 8 |
                             0x5A0000u | static_cast<uint32_t>(x * 7 + y) << 24;
                  }};
        deep.compressed = compressed;
        RgbaImage image = decode(deep.bytes());
        ASSERT_EQ(image.width, 17);
        EXPECT_EQ(pixel(image, 16, 2),
                  static_cast<uint32_t>(16 * 15) << 24 | 200 << 16 | 0x5A << 8 | 114);
        deep.planes = 24;
        image = decode(deep.bytes());
        EXPECT_EQ(pixel(image, 3, 1),
                  static_cast<uint32_t>(45) << 24 | 100 << 16 | 0x5A << 8 | 0xFF);

        // Masking 1: a mask plane row after the colour planes; masking 2: a colour index.
        Ilbm masked{
            9,  2,         2, [](int x, int) { return static_cast<uint32_t>(x % 4); }, paletteOf(4),
            -1, compressed};
        masked.masking = 1;
        masked.opaque = [](int x, int y) { return (x + y) % 3 != 0; };
        image = decode(masked.bytes());
        ASSERT_EQ(image.width, 9);
        EXPECT_EQ(image.at(0, 0)[3], 0);
        EXPECT_EQ(image.at(1, 0)[3], 255);
        EXPECT_EQ(image.at(2, 1)[3], 0);
        EXPECT_EQ(pixel(image, 5, 0), paletteColour(masked.palette, 1));
        masked.masking = 2;
        masked.transparent = 3;
        image = decode(masked.bytes());
        EXPECT_EQ(image.at(3, 0)[3], 0);
        EXPECT_EQ(image.at(7, 1)[3], 0);
        EXPECT_EQ(image.at(0, 0)[3], 255);
    }
}

TEST(IlbmPictureTest, ChunkyAndRunLengthRgbForms) {
    // PBM: one byte per pixel, rows padded to an even width.
    Bytes chunks;
    chunk(chunks, "BMHD", header(3, 2, 8, 0, 0));
    chunk(chunks, "CMAP", paletteOf(256));
    chunk(chunks, "BODY", {1, 2, 3, 0, 4, 5, 6, 0});
    RgbaImage image = decode(form("PBM ", chunks));
    ASSERT_EQ(image.width, 3);
    EXPECT_EQ(pixel(image, 2, 0), paletteColour(paletteOf(256), 3));
    EXPECT_EQ(pixel(image, 0, 1), paletteColour(paletteOf(256), 4));

    // RGB8: R, G, B, genlock bit and 7-bit count; a zero count reads a U1 (then a U2)
    // count; runs continue across rows.
    chunks.clear();
    chunk(chunks, "BMHD", header(3, 3, 25, 0, 4));
    chunk(chunks, "BODY", {10, 20, 30, 2, 40, 50, 60, 0x80, 0, 0, 6, 70, 80, 90, 0, 0, 0, 1});
    image = decode(form("RGB8", chunks));
    ASSERT_EQ(image.width, 3);
    EXPECT_EQ(pixel(image, 1, 0), 0x0A141EFFu);
    EXPECT_EQ(pixel(image, 2, 0), 0x28323C00u); // genlock: transparent
    EXPECT_EQ(pixel(image, 1, 2), 0x28323C00u);
    EXPECT_EQ(pixel(image, 2, 2), 0x46505AFFu);

    // RGBN: 4 bits a channel (x 17), genlock bit 3, 3-bit count.
    chunks.clear();
    chunk(chunks, "BMHD", header(2, 2, 13, 0, 4));
    chunk(chunks, "BODY", {0xF0, 0x03, 0x12, 0x39});
    image = decode(form("RGBN", chunks));
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(pixel(image, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(pixel(image, 1, 1), 0x11223300u);
}

TEST(IlbmPictureTest, DamagedAndLyingFilesAreRefusedWithAReason) {
    const Bytes good = Ilbm{64,
                            64,
                            4,
                            [](int x, int y) { return static_cast<uint32_t>((x ^ y) & 15); },
                            paletteOf(16),
                            -1,
                            true}
                           .bytes();

    Bytes truncated = good;
    truncated.resize(good.size() - 20);
    Bytes huge = good; // BMHD claims 8192 x 8192 for a few hundred bytes of BODY
    huge[20] = huge[22] = 0x20;
    huge[21] = huge[23] = 0x00;
    Bytes noBody;
    chunk(noBody, "BMHD", header(4, 4, 1, 0, 0));
    Bytes sevenPlanes = good;
    sevenPlanes[28] = 12;
    Bytes rgbnWithoutEnd;
    chunk(rgbnWithoutEnd, "BMHD", header(100, 100, 13, 0, 4));
    chunk(rgbnWithoutEnd, "BODY", {0xF0, 0x07});
    const std::vector<std::pair<Bytes, const char*>> cases = {
        {truncated, "ends early"},
        {huge, "too short"},
        {form("ILBM", noBody), "without a BODY"},
        {sevenPlanes, "bit planes"},
        {form("RGBN", rgbnWithoutEnd), "ends early"},
        {{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'L', 'B', 'M'}, "without a BMHD"},
    };
    for (const auto& [bytes, reason] : cases) {
        std::string message;
        const RgbaImage image = decode(bytes, &message);
        EXPECT_EQ(image.pixels, nullptr) << reason;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
    EXPECT_NE(decode(good).pixels, nullptr);
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

TEST(StbPictureTest, JpegBmpAndTargaAreToldByTheirBytes) {
    const int w = 24, h = 16;
    std::vector<uint8_t> rgb(static_cast<size_t>(w * h * 3));
    for (int i = 0; i < w * h; ++i) {
        rgb[static_cast<size_t>(i) * 3] = 200; // an orange field
        rgb[static_cast<size_t>(i) * 3 + 1] = 100;
        rgb[static_cast<size_t>(i) * 3 + 2] = 20;
    }
    Bytes jpeg, bmp, tga;
    ASSERT_NE(stbi_write_jpg_to_func(appendBytes, &jpeg, w, h, 3, rgb.data(), 95), 0);
    ASSERT_NE(stbi_write_bmp_to_func(appendBytes, &bmp, w, h, 3, rgb.data()), 0);
    stbi_write_tga_with_rle = 1;
    ASSERT_NE(stbi_write_tga_to_func(appendBytes, &tga, w, h, 3, rgb.data()), 0);
    for (const Bytes* file : {&jpeg, &bmp, &tga}) {
        const RgbaImage image = decode(*file);
        ASSERT_EQ(image.width, w);
        ASSERT_EQ(image.height, h);
        const uint8_t* p = image.at(5, 7);
        EXPECT_NEAR(p[0], 200, 3);
        EXPECT_NEAR(p[1], 100, 3);
        EXPECT_NEAR(p[2], 20, 3);
        EXPECT_EQ(p[3], 255);
    }
    // A BMP header claiming 8000 x 8000 pixels for a few hundred bytes is not believed.
    Bytes lying = bmp;
    lying[18] = lying[22] = 0x40;
    lying[19] = lying[23] = 0x1F;
    std::string message;
    EXPECT_EQ(decode(lying, &message).pixels, nullptr);
    EXPECT_NE(message.find("too short"), std::string::npos) << message;
    EXPECT_EQ(decode({0xFF, 0xD8, 0xFF}, &message).pixels, nullptr);
    EXPECT_FALSE(message.empty());
}

} // namespace
