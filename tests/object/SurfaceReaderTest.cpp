#include "ObjectTestSupport.h"

using lwob::paddedText;
using lwob::u16;
using lwob::u32;

namespace {

using SurfaceReaderTest = ObjectTest;

LwobSurface planar() {
    return LwobSurface().texture("CTEX", "Planar Image Map");
}

} // namespace

TEST_F(SurfaceReaderTest, AttributesAndTheirTraceLines) {
    ASSERT_EQ(load(oneTriangle(LwobSurface()
                                   .color(255, 128, 0)
                                   .flags(0x0304)
                                   .transparency(128)
                                   .reflection(64)
                                   .smoothingAngle(0.5f))),
              1);
    EXPECT_EQ(takeTrace(), "SURF\nCOLR\nr:255 g:128 b:0\nFLAG\nThis flag is 0x304\nDoublesided\n"
                           "additive\nTRAN\nREFL\nSMAN\n"
                           "Smoothing angle = 28.647890 decimal form = 29\n");
    const Surface& s = mesh().surfaces[0];
    EXPECT_EQ(s.color[0], 255.0f / 256.0f);
    EXPECT_EQ(s.color[1], 0.5f);
    EXPECT_EQ(s.color[2], 0.0f);
    EXPECT_EQ(s.smoothing, 4);
    EXPECT_EQ(s.luminosity, 0);
    EXPECT_EQ(s.doubleSided, 1);
    EXPECT_EQ(s.additive, 1);
    EXPECT_EQ(s.transparency, 0.5f);
    EXPECT_EQ(s.transparent, 1);
    EXPECT_EQ(s.reflectivity, 0.25f);
    EXPECT_EQ(s.reflective, 1);
    EXPECT_EQ(mesh().anyReflective, 1);
}

TEST_F(SurfaceReaderTest, WhicheverOfFlagAndLuminosityComesLastSetsLuminosity) {
    ASSERT_EQ(load(oneTriangle(LwobSurface().flags(1).luminosity(256))), 1);
    EXPECT_EQ(mesh().surfaces[0].luminosity, 256);
    EXPECT_EQ(mesh().surfaces[0].transparent, 0);
    ASSERT_EQ(load(oneTriangle(LwobSurface().luminosity(256).flags(1))), 1);
    EXPECT_EQ(mesh().surfaces[0].luminosity, 1);
}

TEST_F(SurfaceReaderTest, ASupportedColourTextureTakesItsImageAndProjection) {
    ASSERT_EQ(load(oneTriangle(planar()
                                   .textureImage("C:\\Images\\Wood.iff")
                                   .textureFlags(2)
                                   .textureSize(1, 2, 3)
                                   .textureCenter(4, 5, 6)
                                   .wrapWidth(2.5f)
                                   .wrapHeight(3.0f))),
              1);
    EXPECT_EQ(takeTrace(), "SURF\nTIMG\nTFLG\nTSIZ\nTCTR\nTFP0\n2.500000 WRAP VALUE\n"
                           "TFP1\n3.000000 WRAPH VALUE\n");
    const Surface& s = mesh().surfaces[0];
    EXPECT_EQ(s.textureMapping, 1);
    EXPECT_EQ(s.colorTexture, 0);
    EXPECT_STREQ(textures_->slots[0].path, "textures\\Wood.3df");
    EXPECT_EQ(s.textureAxis, 2);
    EXPECT_EQ(s.textureSize[2], 3.0f);
    EXPECT_EQ(s.textureCenter[0], 4.0f);
    EXPECT_EQ(s.textureWrapWidth, 2.5f);
    EXPECT_EQ(s.textureWrapHeight, 3.0f);
}

TEST_F(SurfaceReaderTest, ABumpImageAfterTheColourImageLeavesNoTextureMapping) {
    ASSERT_EQ(load(oneTriangle(planar()
                                   .textureImage("wood.iff")
                                   .textureSize(1, 1, 1)
                                   .texture("BTEX", "Planar Image Map")
                                   .textureImage("bump.iff")
                                   .textureSize(9, 9, 9))),
              1);
    const Surface& s = mesh().surfaces[0];
    EXPECT_EQ(s.textureMapping, 0);
    EXPECT_EQ(s.colorTexture, 0); // the colour image's index stays
    EXPECT_EQ(textures_->count, 1);
    EXPECT_EQ(s.textureSize[0], 1.0f);
}

TEST_F(SurfaceReaderTest, UnsupportedMappingsTakeNoImageOrParameters) {
    ASSERT_EQ(load(oneTriangle(LwobSurface()
                                   .texture("CTEX", "Cubic Image Map")
                                   .textureImage("wood.iff")
                                   .textureFlags(8)
                                   .texture("CTEX", "Planar Image Map")
                                   .texture("DTEX", "Planar Image Map")
                                   .textureSize(9, 9, 9)
                                   .wrapWidth(4.0f)
                                   .texture("CTEX", "Cylindrical Image Map")
                                   .textureFlags(8))),
              1);
    EXPECT_EQ(takeTrace(), "SURF\nTIMG\nTFLG\nUnsuported texturemode:DTEX\nTSIZ\nTFP0\n"
                           "0.000000 WRAP VALUE\nTFLG\nError in textureaxis\n");
    const Surface& s = mesh().surfaces[0];
    EXPECT_EQ(s.textureMapping, 0);
    EXPECT_EQ(textures_->count, 0);
    EXPECT_EQ(s.textureSize[0], 0.0f);
    EXPECT_EQ(s.textureWrapWidth, 0.0f);
    EXPECT_EQ(s.textureAxis, 0);
}

TEST_F(SurfaceReaderTest, AReflectionImageLoadsWhateverTheMode) {
    ASSERT_EQ(load(oneTriangle(LwobSurface().reflectionImage("env\\chrome.iff"))), 1);
    EXPECT_EQ(mesh().surfaces[0].reflectionTexture, 0);
    EXPECT_STREQ(textures_->slots[0].path, "textures\\chrome.3df");
}

TEST_F(SurfaceReaderTest, ALaterChunkOfTheSameNameClearsTheFlagsAndKeepsTheRest) {
    LwobWriter lwob = oneTriangle(LwobSurface().color(255, 0, 0).flags(0x100).transparency(128));
    lwob.surface("A", LwobSurface().luminosity(5));
    ASSERT_EQ(load(lwob), 1);
    const Surface& s = mesh().surfaces[0];
    EXPECT_EQ(s.doubleSided, 0);
    EXPECT_EQ(s.transparent, 0);
    EXPECT_EQ(s.transparency, 0.5f);
    EXPECT_EQ(s.color[0], 255.0f / 256.0f);
    EXPECT_EQ(s.luminosity, 5);
}

TEST_F(SurfaceReaderTest, AChunkOfLengthZeroOnlyWritesItsTraceLine) {
    LwobWriter lwob = oneTriangle(LwobSurface().color(255, 0, 0));
    lwob.raw("SURF" + u32(0) + paddedText("A") + "LUMI" + u16(2) + u16(9));
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(takeTrace(), "SURF\nCOLR\nr:255 g:0 b:0\nSURF\n");
    EXPECT_EQ(mesh().surfaces[0].luminosity, 0);
}

TEST_F(SurfaceReaderTest, TheTagWindowKeepsTheLastTagAcrossItsData) {
    // "COLR" and its data, then "EFL": the window reads "REFL".
    ASSERT_EQ(load(oneTriangle(LwobSurface().color(1, 2, 3).raw("EFL" + u16(2) + u16(128)))), 1);
    EXPECT_EQ(takeTrace(), "SURF\nCOLR\nr:1 g:2 b:3\nREFL\n");
    EXPECT_EQ(mesh().surfaces[0].reflectivity, 0.5f);
}

TEST_F(SurfaceReaderTest, TheScanEndsAtTheChunkLengthButATagAtItsEndReadsOn) {
    LwobWriter outside = oneTriangle();
    outside.chunk("SURF", paddedText("A")).raw("LUMI" + u16(2) + u16(7));
    ASSERT_EQ(load(outside), 1);
    EXPECT_EQ(mesh().surfaces[0].luminosity, 0);

    LwobWriter atEnd = oneTriangle();
    atEnd.chunk("SURF", paddedText("A") + "LUMI").raw(u16(2) + u16(7));
    ASSERT_EQ(load(atEnd), 1);
    EXPECT_EQ(mesh().surfaces[0].luminosity, 7);
}

TEST_F(SurfaceReaderTest, AChunkNamingNoSurfaceReachesNoRecord) {
    LwobWriter lwob = oneTriangle();
    lwob.surface("Ghost", planar().textureImage("wood.iff").color(9, 9, 9).flags(0x100));
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(takeTrace(), "SURF\nSURF\nTIMG\nCOLR\nr:9 g:9 b:9\nFLAG\nThis flag is 0x100\n"
                           "Doublesided\n");
    const Surface& s = mesh().surfaces[0];
    EXPECT_EQ(s.color[0], 0.0f);
    EXPECT_EQ(s.doubleSided, 0);
    EXPECT_EQ(s.textureMapping, 0);
    EXPECT_EQ(textures_->count, 0);
}

TEST_F(SurfaceReaderTest, AChunkLongerThanTheRestOfTheFileIsReadToTheEnd) {
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .surfaceNames({"A"})
        .triangles({{0, 1, 2, 1}})
        .raw("SURF" + u32(0x7FFFFFF0) + paddedText("A") + "COLR" + u16(4) + "\x80\x40\x20" +
             std::string(1, '\0') + "FLAG" + u16(2) + u16(0x100));
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(takeTrace(), "SURF\nCOLR\nr:128 g:64 b:32\nFLAG\nThis flag is 0x100\nDoublesided\n");
    EXPECT_EQ(mesh().surfaces[0].color[0], 0.5f);
    EXPECT_EQ(mesh().surfaces[0].doubleSided, 1);
}

TEST_F(SurfaceReaderTest, OfEqualNamesTheLastOneIsDescribed) {
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .surfaceNames({"A", "B", "A"})
        .triangles({{0, 1, 2, 1}, {0, 1, 2, 3}})
        .surface("A", LwobSurface().luminosity(3));
    ASSERT_EQ(load(lwob), 1);
    EXPECT_EQ(mesh().surfaces[0].luminosity, 0);
    EXPECT_EQ(mesh().surfaces[2].luminosity, 3);
}
