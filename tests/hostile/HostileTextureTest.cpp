// Malformed texture files: 3DF files as the texture table meets them, and PNG files as
// the texture converter meets them. Each with its outcome, and each through the fuzz
// driver of its format.
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HostileTestSupport.h"
#include "content/PngFile.h"
#include "texture/TextureTable.h"

namespace {

// --- 3DF -------------------------------------------------------------------------------

std::string header(const std::string& format, const std::string& lods, const std::string& aspect) {
    return "3df v1.0\n" + format + "\nlod range: " + lods + "\naspect ratio: " + aspect + "\n";
}

// An rgb565 8x8 texture without mip-maps: 128 bytes of texels.
const std::string kTexels8x8(128, '\x5A');

struct ThreeDfCase {
    const char* name;
    std::string file;
    int32_t loads;            // gu3dfGetInfo and gu3dfLoad both accept it
    int32_t headerReads = -1; // gu3dfGetInfo alone, when it differs
};

void PrintTo(const ThreeDfCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<ThreeDfCase> threeDfCases() {
    std::string nccTable;
    for (int i = 0; i < 40; ++i) {
        nccTable += i == 3 ? std::string("\x01\x00", 2) : std::string(2, '\0'); // Y[3] = 256
    }
    return {
        {"Valid", header("rgb565", "8 8", "1 1") + kTexels8x8, 1},
        {"BlanksCarriageReturnsAndCase",
         "3DF v9.87 \r\n RGB565\t\r\nLOD RANGE:  8   8 \r\nAspect Ratio: 1 1\r\n" + kTexels8x8, 1},
        {"DataLongerThanTheLevels", header("rgb565", "8 8", "1 1") + kTexels8x8 + "trailing", 1},
        {"EmptyFile", "", 0},
        {"SmallestLevelLargerThanTheLargest", header("rgb565", "256 1", "1 1") + kTexels8x8, 0},
        {"LodNotAPowerOfTwo", header("rgb565", "3 8", "1 1") + kTexels8x8, 0},
        {"LodBeyond256", header("rgb565", "512 512", "1 1") + std::string(524288, '\0'), 0},
        {"LodZero", header("rgb565", "0 0", "1 1") + kTexels8x8, 0},
        {"LodOfTwentyDigits", header("rgb565", "99999999999999999999 8", "1 1") + kTexels8x8, 0},
        {"LodNegative", header("rgb565", "-8 8", "1 1") + kTexels8x8, 0},
        {"LodMissing", header("rgb565", "8", "1 1") + kTexels8x8, 0},
        {"AspectThreeToOne", header("rgb565", "8 8", "3 1") + kTexels8x8, 0},
        {"AspectSixteenToOne", header("rgb565", "16 16", "16 1") + kTexels8x8, 0},
        {"AspectTwoToTwo", header("rgb565", "8 8", "2 2") + kTexels8x8, 0},
        {"AspectZero", header("rgb565", "8 8", "0 1") + kTexels8x8, 0},
        {"UnknownFormat", header("rgb888", "8 8", "1 1") + kTexels8x8, 0},
        {"FormatWithAWordBehind", header("rgb565 please", "8 8", "1 1") + kTexels8x8, 0},
        {"VersionWithoutMinor", "3df v1\nrgb565\nlod range: 8 8\naspect ratio: 1 1\n" + kTexels8x8,
         0},
        {"NotA3dfFile", "3dg v1.0\nrgb565\nlod range: 8 8\naspect ratio: 1 1\n" + kTexels8x8, 0},
        {"HeaderOnOneLine", "3df v1.0 rgb565 lod range: 8 8 aspect ratio: 1 1 " + kTexels8x8, 0},
        {"HeaderLineOfTenThousandCharacters",
         header("rgb565" + std::string(10000, ' '), "8 8", "1 1") + kTexels8x8, 0},
        {"NulInTheHeader",
         std::string("3df v1.0\nrgb\0565\nlod range: 8 8\naspect ratio: 1 1\n", 49) + kTexels8x8,
         0},
        {"DataOneByteShort", header("rgb565", "8 8", "1 1") + kTexels8x8.substr(1), 0},
        {"MipMapsMissing", header("rgb565", "1 8", "1 1") + kTexels8x8, 0},
        {"NccTableCut", header("yiq", "8 8", "1 1") + nccTable.substr(0, 30), 0},
        {"NccLuminanceOutOfRange", header("yiq", "8 8", "1 1") + nccTable + std::string(64, '\0'),
         0, 1},
        {"PaletteCut", header("p8", "8 8", "1 1") + std::string(1000, '\0'), 0},
    };
}

class HostileThreeDfTest : public HostileTest, public ::testing::WithParamInterface<ThreeDfCase> {};

TEST_P(HostileThreeDfTest, LoadsOrTakesASlotWithoutAnImage) {
    const ThreeDfCase& c = GetParam();
    writeFile("textures/hostile.3df", c.file);
    Gu3dfInfo info;
    EXPECT_EQ(gu3dfGetInfo("textures\\hostile.3df", &info) == FXTRUE ? 1 : 0,
              c.headerReads >= 0 ? c.headerReads : c.loads);

    prepareThreeDfInput(); // makes a software device current
    auto table = std::make_unique<TextureTable>();
    EXPECT_EQ(table->loadTexture("C:\\art\\hostile.tga"), 0);
    EXPECT_EQ(table->slots[0].isLoaded() ? 1 : 0, c.loads);
    EXPECT_EQ(errorLog(), c.loads == 1 ? "" : "UNABLE TO OPEN TEXTURE textures\\hostile.3df\n");
    table->selectTexture(0); // the image, or the white fallback

    EXPECT_EQ(brokenPromise(runThreeDfInput, c.file), "");
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileThreeDfTest, ::testing::ValuesIn(threeDfCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- PNG -------------------------------------------------------------------------------

// A PNG file of `format` (libpng's simplified formats) holding `pixels`.
std::string pngFile(uint32_t format, int32_t width, int32_t height,
                    const std::vector<uint8_t>& pixels) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = format;
    png_alloc_size_t size = 0;
    EXPECT_NE(png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr), 0);
    std::string bytes(size, '\0');
    EXPECT_NE(png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels.data(), 0, nullptr),
              0);
    bytes.resize(size);
    return bytes;
}

std::string smallPng() {
    std::vector<uint8_t> pixels(4 * 4 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint8_t>(i * 9);
    }
    return pngFile(PNG_FORMAT_RGBA, 4, 4, pixels);
}

void putBigEndian(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i) & 0xFF);
    }
}

// `png` with the size in its header replaced, and the header's checksum made right.
std::string withHeaderSize(std::string png, uint32_t width, uint32_t height) {
    putBigEndian(png, 16, width);
    putBigEndian(png, 20, height);
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
    putBigEndian(png, 29, crc);
    return png;
}

// `png` with `chunk` (its length, type and data as given) behind the header chunk.
std::string withChunkAfterHeader(std::string png, const std::string& chunk) {
    return png.insert(33, chunk);
}

struct PngCase {
    const char* name;
    std::string file;
    std::string refusal; // the reader's message; "" when it reads the file
};

void PrintTo(const PngCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<PngCase> pngCases() {
    const std::string valid = smallPng();
    std::string badChecksum = valid;
    badChecksum[30] = static_cast<char>(badChecksum[30] ^ 0x40);
    // A flat image compresses about a thousandfold: the size bound must let it through.
    const std::string flat =
        pngFile(PNG_FORMAT_GRAY, 1024, 1024, std::vector<uint8_t>(1024 * 1024, 0));
    return {
        {"Valid", valid, ""},
        {"FlatImageOfAThousandfoldCompression", flat, ""},
        {"EmptyFile", "", "not a readable PNG file"},
        {"NotAPng", "this is text, not an image", "not a readable PNG file"},
        {"HeaderChecksumWrong", badChecksum, "not a readable PNG file"},
        {"HeaderClaimsTheLargestImage", withHeaderSize(valid, 16384, 16384),
         "damaged PNG file: too short for the image size in its header"},
        {"HeaderClaimsMoreThanTheFileHolds", withHeaderSize(flat, 16384, 16384),
         "damaged PNG file: too short for the image size in its header"},
        {"WiderThanTheLimit", withHeaderSize(valid, 16385, 1),
         "PNG image is larger than 16384 pixels on a side"},
        {"CutInTheImageData", valid.substr(0, valid.size() - 20),
         "damaged PNG file: the chunk at byte"},
        // Found by fuzzing: libpng allocated the declared length before reading the chunk.
        {"TextChunkClaimingHalfAGigabyte",
         withChunkAfterHeader(valid, "\x20\x31\x2D\x64zTXtcomment"),
         "damaged PNG file: the chunk at byte 33 runs past the end of the file"},
        {"WithoutItsEnd", valid.substr(0, valid.size() - 12), ""},
    };
}

class HostilePngTest : public HostileTest, public ::testing::WithParamInterface<PngCase> {};

TEST_P(HostilePngTest, ReadsOrIsRefusedWithAReason) {
    const PngCase& c = GetParam();
    writeFile("hostile.png", c.file);
    RgbaImage image;
    char message[256] = {};
    const int32_t read = readPngFile("hostile.png", image, message, sizeof message);
    if (c.refusal.empty()) {
        EXPECT_EQ(read, 1) << message;
        EXPECT_NE(image.pixels, nullptr);
    } else {
        EXPECT_EQ(read, 0);
        EXPECT_EQ(std::string(message).rfind(c.refusal, 0), 0u) << message;
        EXPECT_EQ(image.pixels, nullptr);
    }
    preparePngInput();
    EXPECT_EQ(brokenPromise(runPngInput, c.file), "");
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostilePngTest, ::testing::ValuesIn(pngCases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
