#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "accel/ThreeDfFile.h"
#include "support/ScratchDirectory.h"
#include "support/ThreeDfBuilder.h"

namespace {

class ThreeDfFileTest : public ScratchDirectoryTest {};

bool load(const char* path, Gu3dfInfo& info, std::vector<uint8_t>& texels) {
    if (!gu3dfGetInfo(path, &info)) {
        return false;
    }
    texels.assign(info.mem_required, 0);
    info.data = texels.data();
    return gu3dfLoad(path, &info) == FXTRUE;
}

} // namespace

TEST_F(ThreeDfFileTest, EveryFormatRoundTripsWithItsTable) {
    for (GrTextureFormat_t format : kThreeDfFormats) {
        ThreeDfBuilder b = ThreeDfBuilder::sized(format, 8, 1, GR_ASPECT_2x1);
        for (int i = 0; i < 16; ++i) {
            b.info.table.nccTable.yRGB[i] = static_cast<FxU8>(i * 16);
        }
        b.info.table.nccTable.iRGB[3][2] = -256;
        b.info.table.nccTable.qRGB[1][0] = 255;
        if (format == GR_TEXFMT_P_8 || format == GR_TEXFMT_AP_88) {
            b.info.table.palette.data[0] = 0x00123456;
            b.info.table.palette.data[255] = 0x00FFEEDD;
        }
        const GuTexTable written = b.info.table;
        ASSERT_TRUE(b.write("t.3df")) << threeDfFormatName(format);

        Gu3dfInfo info;
        std::vector<uint8_t> texels;
        ASSERT_TRUE(load("t.3df", info, texels)) << threeDfFormatName(format);
        EXPECT_EQ(info.header.width, 8u);
        EXPECT_EQ(info.header.height, 4u);
        EXPECT_EQ(info.header.large_lod, GR_LOD_8);
        EXPECT_EQ(info.header.small_lod, GR_LOD_1);
        EXPECT_EQ(info.header.aspect_ratio, GR_ASPECT_2x1);
        EXPECT_EQ(info.header.format, format);
        // Levels 8x4, 4x2, 2x1, 1x1.
        EXPECT_EQ(info.mem_required, (32u + 8u + 2u + 1u) * bytesPerTexel(format));
        EXPECT_EQ(texels, b.texels) << threeDfFormatName(format);
        if (format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422) {
            EXPECT_EQ(std::memcmp(&info.table.nccTable, &written.nccTable, sizeof(GuNccTable)), 0);
        }
        if (format == GR_TEXFMT_P_8 || format == GR_TEXFMT_AP_88) {
            EXPECT_EQ(info.table.palette.data[0], 0x00123456u);
            EXPECT_EQ(info.table.palette.data[255], 0x00FFEEDDu);
        }
    }
}

TEST_F(ThreeDfFileTest, SixteenBitTexelsAreBigEndianInTheFile) {
    ThreeDfBuilder b = ThreeDfBuilder::square(GR_TEXFMT_RGB_565, 1, 1);
    const uint16_t texel = 0x1234;
    std::memcpy(b.texels.data(), &texel, 2);
    ASSERT_TRUE(b.write("t.3df"));
    const std::string bytes = readFile("t.3df");
    EXPECT_EQ(bytes, std::string("3df v1.0\nrgb565\nlod range: 1 1\naspect ratio: 1 1\n\x12\x34"));
}

// Lying levels, aspects, formats and NCC tables are in the hostile corpus; these are the
// header's shape.
TEST_F(ThreeDfFileTest, MalformedHeadersAreRefused) {
    const std::string good = "3df v1.0\ni8\nlod range: 1 2\naspect ratio: 1 1\n";
    for (const std::string& bytes : {std::string("3df v1.0\ni8\nlod range: 1 2\n"), // cut short
                                     std::string(4096, '3')}) {                     // no line ends
        writeFile("t.3df", bytes);
        Gu3dfInfo info;
        EXPECT_FALSE(gu3dfGetInfo("t.3df", &info)) << bytes.substr(0, 60);
    }
    writeFile("t.3df", good + std::string(5, 'x')); // 2x2 + 1x1
    Gu3dfInfo info;
    EXPECT_TRUE(gu3dfGetInfo("t.3df", &info));
    EXPECT_FALSE(gu3dfGetInfo("missing.3df", &info));
    EXPECT_FALSE(gu3dfGetInfo(".", &info));
}

TEST_F(ThreeDfFileTest, FileThatGrewSinceGetInfoIsRefusedByLoad) {
    ThreeDfBuilder small = ThreeDfBuilder::square(GR_TEXFMT_INTENSITY_8, 2, 2);
    ASSERT_TRUE(small.write("t.3df"));
    Gu3dfInfo info;
    ASSERT_TRUE(gu3dfGetInfo("t.3df", &info));
    std::vector<uint8_t> buffer(info.mem_required + 16, 0xAB);
    info.data = buffer.data();
    ThreeDfBuilder large = ThreeDfBuilder::square(GR_TEXFMT_INTENSITY_8, 4, 4);
    ASSERT_TRUE(large.write("t.3df"));
    EXPECT_FALSE(gu3dfLoad("t.3df", &info));
    EXPECT_EQ(buffer[info.mem_required], 0xAB);
}
