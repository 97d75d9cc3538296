#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/ScratchDirectory.h"
#include "support/ThreeDfBuilder.h"
#include "support/TraceCapture.h"
#include "texture/TextureTable.h"

namespace {

class TextureTableTest : public ScratchDirectoryTest {
protected:
    static void writeTexture(const std::string& name, GrTextureFormat_t format, int32_t size) {
        makeParents("textures/x");
        ASSERT_TRUE(ThreeDfBuilder::square(format, size, size).write("textures/" + name));
    }

    TraceCapture trace_;
    std::unique_ptr<TextureTable> table_ = std::make_unique<TextureTable>();
};

} // namespace

TEST_F(TextureTableTest, NamesReduceToBaseNameWithoutExtension) {
    writeTexture("Fire.3df", GR_TEXFMT_RGB_565, 4);
    writeTexture("wood.3df", GR_TEXFMT_RGB_565, 4);
    EXPECT_EQ(table_->loadTexture("C:\\Images\\Fire.IFF"), 0);
    EXPECT_STREQ(table_->slots[0].path, "textures\\Fire.3df");
    EXPECT_EQ(table_->loadTexture("Fire.tga"), 0);
    EXPECT_EQ(table_->loadTexture("images/wood.old.iff"), 1);
    EXPECT_STREQ(table_->slots[1].path, "textures\\wood.3df");
    // Identity is the exact path: another case is another slot (which still opens the
    // same file through the case-insensitive lookup).
    EXPECT_EQ(table_->loadTexture("fire.tga"), 2);
    EXPECT_EQ(table_->count, 3);
    EXPECT_FALSE(fileExists("error.txt"));
}

TEST_F(TextureTableTest, MissingFilesTakeSlotsAndAreLoggedOnceAfterEarlierLines) {
    writeFile("error.txt", "earlier\n");
    EXPECT_EQ(table_->loadTexture("one.iff"), 0);
    EXPECT_EQ(table_->loadTexture("two.iff"), 1);
    EXPECT_EQ(table_->loadTexture("three.iff"), 2);
    EXPECT_EQ(table_->loadTexture("two.tga"), 1);
    EXPECT_EQ(readTextFile("error.txt"), "earlier\n"
                                         "UNABLE TO OPEN TEXTURE textures\\one.3df\n"
                                         "UNABLE TO OPEN TEXTURE textures\\two.3df\n"
                                         "UNABLE TO OPEN TEXTURE textures\\three.3df\n");
    EXPECT_EQ(table_->slots[1].isDownloaded, 0);
    EXPECT_EQ(table_->slots[1].memoryRequired, 0u);
}

TEST_F(TextureTableTest, SelectingDownloadsOnceAndAdvancesMemoryOnce) {
    writeTexture("a.3df", GR_TEXFMT_RGB_565, 4);     // 32 bytes
    writeTexture("b.3df", GR_TEXFMT_INTENSITY_8, 2); // 4 bytes, rounded to 8
    table_->loadTexture("a");
    table_->loadTexture("b");
    EXPECT_EQ(table_->slots[0].memoryRequired, 32u);
    EXPECT_EQ(table_->slots[1].memoryRequired, 8u);
    table_->selectTexture(1);
    table_->selectTexture(1);
    table_->selectTexture(0);
    EXPECT_EQ(table_->memoryNext, 40u);
    const auto downloads = trace_.calls("grTexDownloadMipMap");
    ASSERT_EQ(downloads.size(), 2u);
    EXPECT_NE(downloads[0].find("(GR_TMU0, 0, "), std::string::npos);
    EXPECT_NE(downloads[1].find("(GR_TMU0, 8, "), std::string::npos);
    EXPECT_EQ(table_->slots[0].startAddress, 8u);
    // Every selection of a non-table format makes the texture current.
    EXPECT_EQ(trace_.calls("grTexSource").size(), 3u);
    EXPECT_TRUE(trace_.calls("grTexDownloadTable").empty());
}

TEST_F(TextureTableTest, NccSelectionsAlternateTablesStartingWithNcc1) {
    writeTexture("a.3df", GR_TEXFMT_YIQ_422, 4);
    writeTexture("b.3df", GR_TEXFMT_AYIQ_8422, 4);
    table_->loadTexture("a");
    table_->loadTexture("b");
    table_->selectTexture(0);
    table_->selectTexture(1);
    table_->selectTexture(0);
    const auto tables = trace_.calls("grTexDownloadTable");
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_NE(tables[0].find("GR_TEXTABLE_NCC1"), std::string::npos);
    EXPECT_NE(tables[1].find("GR_TEXTABLE_NCC0"), std::string::npos);
    EXPECT_NE(tables[2].find("GR_TEXTABLE_NCC1"), std::string::npos);
    const auto selects = trace_.calls("grTexNCCTable");
    ASSERT_EQ(selects.size(), 3u);
    EXPECT_EQ(selects[1], "grTexNCCTable(GR_TMU0, GR_NCCTABLE_NCC0)");
    EXPECT_EQ(table_->nccToggle, 3);
}

TEST_F(TextureTableTest, PaletteTexturesDownloadTheirPaletteBeforeTheSource) {
    writeTexture("p.3df", GR_TEXFMT_P_8, 4);
    table_->loadTexture("p");
    table_->selectTexture(0);
    const std::string text = trace_.text();
    const size_t palette = text.find("grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE");
    const size_t source = text.find("grTexSource(GR_TMU0, 0,");
    ASSERT_NE(palette, std::string::npos);
    ASSERT_NE(source, std::string::npos);
    EXPECT_LT(palette, source);
}

TEST_F(TextureTableTest, ReloadAllPacksEverySlotFromTheBottomInIndexOrder) {
    writeTexture("a.3df", GR_TEXFMT_RGB_565, 4);     // 32
    writeTexture("b.3df", GR_TEXFMT_RGB_565, 8);     // 128
    writeTexture("c.3df", GR_TEXFMT_INTENSITY_8, 1); // 1 -> 8
    table_->loadTexture("b");
    table_->loadTexture("missing");
    table_->loadTexture("a");
    table_->loadTexture("c");
    table_->selectTexture(2); // a goes first to address 0
    table_->reloadAll();
    EXPECT_EQ(table_->slots[0].startAddress, 0u);
    EXPECT_EQ(table_->slots[2].startAddress, 128u);
    EXPECT_EQ(table_->slots[3].startAddress, 160u);
    EXPECT_EQ(table_->memoryNext, 168u);
    EXPECT_EQ(table_->slots[1].isDownloaded, 0);
    EXPECT_EQ(table_->slots[3].isDownloaded, 1);
}

TEST_F(TextureTableTest, MissingOrRefusedTexturesSelectTheWhiteFallback) {
    table_->loadTexture("missing");
    trace_.clear();
    table_->selectTexture(0);
    table_->selectTexture(kNoTexture);
    table_->selectTexture(57);
    EXPECT_EQ(
        trace_.calls("grTexSource"),
        std::vector<std::string>(3, "grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, null)"));
    EXPECT_TRUE(trace_.calls("grTexDownloadMipMap").empty()) << "no texture memory used";
}

TEST_F(TextureTableTest, TwoHundredAndFirstNameIsRefusedWithALine) {
    for (int i = 0; i < kTextureSlotCount; ++i) {
        EXPECT_EQ(table_->loadTexture(("t" + std::to_string(i)).c_str()), i);
    }
    EXPECT_EQ(table_->loadTexture("one-too-many"), kNoTexture);
    EXPECT_EQ(table_->count, kTextureSlotCount);
    const std::string log = readTextFile("error.txt");
    EXPECT_NE(log.find("TOO MANY TEXTURES (200), NOT LOADED textures\\one-too-many.3df\n"),
              std::string::npos);
}

TEST_F(TextureTableTest, PathLongerThanTheSlotIsRefusedWithALine) {
    const std::string fits(kTexturePathSize - 1 - 13, 'f'); // "textures\" + name + ".3df"
    EXPECT_EQ(table_->loadTexture(fits.c_str()), 0);
    const std::string tooLong(kTexturePathSize - 13, 'g');
    EXPECT_EQ(table_->loadTexture(tooLong.c_str()), kNoTexture);
    EXPECT_NE(readTextFile("error.txt").find("TEXTURE PATH TOO LONG textures\\ggg"),
              std::string::npos);
    EXPECT_EQ(table_->count, 1);
}

namespace {

// A board with 64 bytes of texture memory.
class SmallBoard : public TraceDevice {
public:
    FxU32 grTexMaxAddress(GrChipID_t) override { return 64; }
};

} // namespace

TEST_F(TextureTableTest, TexturesFillMemoryToTheLastByteAndTheNextIsReportedOnce) {
    SmallBoard board;
    setAcceleratorDevice(&board);
    writeTexture("a.3df", GR_TEXFMT_RGB_565, 4); // 32
    writeTexture("b.3df", GR_TEXFMT_RGB_565, 4); // 32: memory full to the last byte
    writeTexture("c.3df", GR_TEXFMT_RGB_565, 2); // 8
    table_->loadTexture("a");
    table_->loadTexture("b");
    table_->loadTexture("c");
    for (const int32_t index : {0, 1, 2, 2}) {
        table_->selectTexture(index);
    }
    EXPECT_EQ(table_->slots[1].isDownloaded, 1);
    EXPECT_EQ(table_->slots[2].isDownloaded, 0);
    EXPECT_EQ(table_->memoryNext, 64u);
    EXPECT_EQ(readTextFile("error.txt"), "TEXTURE MEMORY FULL textures\\c.3df\n");
}
