#include "DeviceTestSupport.h"

#include <map>
#include <mutex>

namespace {

class DeviceLifecycleTest : public DeviceTest {};

struct RecordingPresenter : FramePresenter {
    int32_t swaps = 0;
    int32_t frames = 0;
    void swapped(const SoftwareDevice&, int) override { ++swaps; }
    int lastInterval = -1;
    uint32_t firstPixel = 0;
    void present(const SoftwareDevice& device, int swapInterval) override {
        ++frames;
        lastInterval = swapInterval;
        firstPixel = device.frontPixel(0, 0);
    }
};

void callEverything() {
    GrVertex v[3];
    GrTexInfo info;
    uint16_t texel = 0;
    info.largeLod = info.smallLod = GR_LOD_1;
    info.data = &texel;
    GuNccTable ncc;
    GrHwConfiguration hw;
    grSstQueryHardware(&hw);
    grSstControl(GR_CONTROL_RESIZE);
    grBufferClear(0, 0, 0);
    grBufferSwap(1);
    grBufferNumPending();
    grClipWindow(0, 0, 10, 10);
    grSstOrigin(GR_ORIGIN_LOWER_LEFT);
    grDitherMode(GR_DITHER_2x2);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grDepthMask(FXTRUE);
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grConstantColorValue(0);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    grAlphaTestFunction(GR_CMP_ALWAYS);
    grAlphaTestReferenceValue(1);
    grCullMode(GR_CULL_DISABLE);
    grTexMinAddress(GR_TMU0);
    grTexMaxAddress(GR_TMU0);
    grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_NCC0, &ncc);
    grTexNCCTable(GR_TMU0, GR_NCCTABLE_NCC1);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    grDrawTriangle(&v[0], &v[1], &v[2]);
    guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
    grDrawTriangle(nullptr, nullptr, nullptr);
    grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, nullptr);
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, nullptr);
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, nullptr);
}

} // namespace

TEST_F(DeviceLifecycleTest, HardwareQueryReportsTheConfiguredBoard) {
    GrHwConfiguration hw;
    SoftwareDevice standard;
    EXPECT_EQ(standard.grSstQueryHardware(&hw), FXTRUE);
    EXPECT_EQ(hw.num_sst, 1);
    EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_VOODOO);
    EXPECT_EQ(hw.SSTs[0].fbRam, 4);
    EXPECT_EQ(hw.SSTs[0].tmuRam, 4);

    SoftwareDeviceOptions options;
    options.boardType = GR_SSTTYPE_AT3D;
    options.frameBufferMegabytes = 2;
    SoftwareDevice other(options);
    EXPECT_EQ(other.grSstQueryHardware(&hw), FXTRUE);
    EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_AT3D);
    EXPECT_EQ(hw.SSTs[0].fbRam, 2);

    options.boardPresent = false;
    SoftwareDevice none(options);
    EXPECT_EQ(none.grSstQueryHardware(&hw), FXFALSE);
    EXPECT_EQ(hw.num_sst, 0);
    EXPECT_EQ(none.grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz,
                                GR_COLORFORMAT_ABGR, GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXFALSE);
}

TEST_F(DeviceLifecycleTest, SurfaceSizeComesFromTheResolutionOrTheExplicitSize) {
    SoftwareDevice device;
    EXPECT_EQ(device.grSstWinOpen(nullptr, GR_RESOLUTION_512x384, GR_REFRESH_60Hz,
                                  GR_COLORFORMAT_ABGR, GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXTRUE);
    EXPECT_EQ(device.width(), 512);
    EXPECT_EQ(device.height(), 384);
    EXPECT_EQ(device.grSstWinOpen(nullptr, 77, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                                  GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXFALSE);
    EXPECT_FALSE(device.isOpen());

    SoftwareDeviceOptions options;
    options.width = 1000;
    options.height = 7;
    SoftwareDevice offline(options);
    EXPECT_EQ(offline.grSstWinOpen(nullptr, GR_RESOLUTION_320x240, GR_REFRESH_60Hz,
                                   GR_COLORFORMAT_ABGR, GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXTRUE);
    EXPECT_EQ(offline.width(), 1000);
    EXPECT_EQ(offline.height(), 7);
    EXPECT_EQ(offline.state().clipMaxX, 1000u);
}

TEST_F(DeviceLifecycleTest, EveryCallIsSafeBeforeOpeningAndAfterShutdown) {
    SoftwareDevice device;
    setAcceleratorDevice(&device);
    callEverything();
    ASSERT_EQ(grSstWinOpen(nullptr, GR_RESOLUTION_320x240, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                           GR_ORIGIN_UPPER_LEFT, 2, 1),
              FXTRUE);
    callEverything();
    grGlideShutdown();
    EXPECT_FALSE(device.isOpen());
    callEverything();
    grGlideShutdown();
    uint8_t pixel[4];
    EXPECT_FALSE(device.readFrontBuffer(pixel, 4, 4));
    EXPECT_EQ(device.frontPixel(0, 0), 0u);
    setAcceleratorDevice(nullptr);
    callEverything(); // the inert device
}

TEST_F(DeviceLifecycleTest, ControlAndPendingSwapsAnswerAsConfigured) {
    options_.controlSucceeds = false;
    open(4, 4);
    EXPECT_EQ(grSstControl(GR_CONTROL_RESIZE), FXFALSE);
    EXPECT_EQ(grBufferNumPending(), 0);
    options_.controlSucceeds = true;
    open(4, 4);
    EXPECT_EQ(grSstControl(GR_CONTROL_MOVE), FXTRUE);
}

TEST_F(DeviceLifecycleTest, SwapPresentsTheBackBufferAndReadBackGivesItsPixels) {
    open(3, 2);
    RecordingPresenter presenter;
    device_->setPresenter(&presenter);
    grBufferClear(0x00102030, 0, 0xFFFF);
    gouraudState();
    rectangle(0, 1, 3, 2, vertex(0, 0, 200, 100, 50));
    grBufferSwap(1);
    EXPECT_EQ(presenter.swaps, 1);
    device_->finish(); // drawn on other threads, the frame may be presented only now
    EXPECT_EQ(presenter.frames, 1);
    EXPECT_EQ(presenter.lastInterval, 1);
    EXPECT_EQ(presenter.firstPixel, 0xFF102030u);
    uint8_t rgba[2][3][4];
    ASSERT_TRUE(device_->readFrontBuffer(&rgba[0][0][0], 4, 12));
    EXPECT_EQ(rgba[0][2][0], 0x10);
    EXPECT_EQ(rgba[0][2][3], 255);
    EXPECT_EQ(rgba[1][0][0], 200);
    EXPECT_EQ(rgba[1][0][1], 100);
    uint8_t rgb3[2][3][3];
    ASSERT_TRUE(device_->readFrontBuffer(&rgb3[0][0][0], 3, 9));
    EXPECT_EQ(rgb3[1][2][2], 50);
    // The next frame draws into the other buffer; the front buffer stays as presented.
    grBufferClear(0, 0, 0xFFFF);
    EXPECT_EQ(device_->frontPixel(0, 0), 0xFF102030u);
}

// A presenter that takes rows as they are finished: each frame's rows once, final, before
// the frame is presented, or none (the frame read back at present() as usual).
TEST_F(DeviceLifecycleTest, RowsOfASwappedFrameComeOnceAndFinalBeforeItIsPresented) {
    struct RowsPresenter : FramePresenter {
        std::mutex mutex;
        std::map<uint64_t, std::vector<uint32_t>> pixels; // by frame: row-major, as drawn
        std::map<uint64_t, std::vector<int32_t>> times;   // by frame: how often each row came
        std::vector<std::string> faults;
        int32_t framesWithRows = 0, framesWithout = 0;
        bool wantsRows() const override { return true; }
        void rowsDrawn(const DrawnRows& rows) override {
            std::lock_guard<std::mutex> lock(mutex);
            std::vector<uint32_t>& image = pixels[rows.frame];
            std::vector<int32_t>& count = times[rows.frame];
            image.resize(static_cast<size_t>(rows.width * rows.height));
            count.resize(static_cast<size_t>(rows.height));
            for (int32_t row = rows.firstRow; row < rows.endRow; ++row) {
                ++count[static_cast<size_t>(row)];
                std::memcpy(&image[static_cast<size_t>(row * rows.width)],
                            static_cast<const uint8_t*>(rows.pixels) + row * rows.pitch,
                            static_cast<size_t>(rows.width) * 4);
            }
        }
        void present(const SoftwareDevice& device, int) override {
            std::lock_guard<std::mutex> lock(mutex);
            const uint64_t frame = device.presentedFrame();
            if (times.count(frame) == 0) {
                ++framesWithout;
                return;
            }
            ++framesWithRows;
            for (int32_t row = 0; row < device.height(); ++row) {
                if (times[frame][static_cast<size_t>(row)] != 1) {
                    faults.push_back("row " + std::to_string(row) + " of frame " +
                                     std::to_string(frame) + " did not come once");
                }
                for (int32_t x = 0; x < device.width(); ++x) {
                    if (pixels[frame][static_cast<size_t>(row * device.width() + x)] !=
                        device.frontPixel(x, row)) {
                        faults.push_back("frame " + std::to_string(frame) + " differs at " +
                                         std::to_string(x) + "," + std::to_string(row));
                    }
                }
            }
        }
    };
    options_.rasterThreads = 3;
    open(16, 45); // bands of 8 rows and a short one
    RowsPresenter presenter;
    device_->setPresenter(&presenter);
    gouraudState();
    for (int32_t frame = 0; frame < 6; ++frame) {
        grBufferClear(0x00101010u * static_cast<uint32_t>(frame), 0, 0xFFFF);
        rectangle(0, 0, 16, static_cast<float>(5 * frame + 3), vertex(0, 0, 40.0f * frame, 200, 9));
        if (frame == 3) {
            EXPECT_EQ(red(0, 0), 120u); // a read draws what is recorded: the swap has nothing left
        }
        grBufferSwap(1);
    }
    device_->finish();
    EXPECT_EQ(presenter.framesWithRows, 5);
    EXPECT_EQ(presenter.framesWithout, 1);
    EXPECT_EQ(presenter.faults, std::vector<std::string>{});
}

// Words and bytes are two readings of one picture, filtered or not: a dithered gradient
// gives many RGB565 values, and 37 columns leave the eight-at-a-time path a tail.
TEST_F(DeviceLifecycleTest, WordReadBackGivesTheBytesReadBack) {
    for (const AccelColorMode mode : {AccelColorMode::Authentic16, AccelColorMode::Clean32}) {
        open(37, 2, mode);
        gouraudState();
        grDitherMode(GR_DITHER_4x4);
        GrVertex a = vertex(0, 0, 0, 255, 30), b = vertex(37, 0, 255, 0, 200),
                 c = vertex(37, 2, 100, 50, 255), d = vertex(0, 2, 255, 255, 0);
        triangle(a, b, c);
        triangle(a, c, d);
        grBufferSwap(0);
        for (const OutputFilter filter : {OutputFilter::None, OutputFilter::Smooth}) {
            uint32_t words[2][40] = {};
            uint8_t bytes[2][37][3];
            ASSERT_TRUE(device_->readFrontBufferArgb(&words[0][0], 40, filter));
            ASSERT_TRUE(device_->readFrontBuffer(&bytes[0][0][0], 3, 37 * 3, filter));
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 37; ++x) {
                    const uint32_t expected =
                        0xFF000000u | bytes[y][x][0] << 16 | bytes[y][x][1] << 8 | bytes[y][x][2];
                    ASSERT_EQ(words[y][x], expected) << x << "," << y;
                }
                EXPECT_EQ(words[y][37], 0u); // nothing past the row
            }
        }
    }
}

TEST_F(DeviceLifecycleTest, CountersCoverTheFrameAndRollOverOnSwap) {
    open(8, 8);
    gouraudState();
    rectangle(0, 0, 8, 4);
    std::vector<uint8_t> texel = {0, 0};
    loadTexture(0, GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, GR_TEXFMT_RGB_565, texel);
    GuTexPalette palette;
    grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, &palette);
    const DeviceCounters& frame = device_->frameCounters();
    EXPECT_EQ(frame.triangles, 2u);
    EXPECT_EQ(frame.pixelsWritten, 32u);
    EXPECT_EQ(frame.textureDownloads, 1u);
    EXPECT_EQ(frame.textureBytesDownloaded, 2u);
    EXPECT_EQ(frame.tableDownloads, 1u);
    grBufferSwap(0);
    EXPECT_EQ(device_->frameCounters().pixelsWritten, 0u);
    EXPECT_EQ(device_->lastFrameCounters().pixelsWritten, 32u);
    rectangle(0, 0, 1, 1);
    EXPECT_EQ(device_->totalCounters().pixelsWritten, 33u);
    EXPECT_EQ(device_->totalCounters().frames, 1u);
}

TEST_F(DeviceLifecycleTest, OutputFilterSmoothsDitherButNotEdgesAndLeavesTheBuffer) {
    open(8, 1, AccelColorMode::Authentic16);
    gouraudState();
    grDitherMode(GR_DITHER_4x4);
    // 103 is 12.52 steps of red: the first row of the 4x4 pattern alternates 12 and 13.
    rectangle(0, 0, 4, 1, vertex(0, 0, 103, 103, 103));
    rectangle(4, 0, 8, 1, vertex(0, 0, 255, 255, 255));
    grBufferSwap(0);
    uint8_t plain[8][3], smooth[8][3];
    ASSERT_TRUE(device_->readFrontBuffer(&plain[0][0], 3, 24, OutputFilter::None));
    ASSERT_TRUE(device_->readFrontBuffer(&smooth[0][0], 3, 24, OutputFilter::Smooth));
    // Dithered neighbours differ by one step (8 for red) and are averaged ...
    EXPECT_NE(plain[0][0], plain[1][0]);
    EXPECT_EQ(smooth[1][0], 103);
    EXPECT_EQ(smooth[2][0], 103);
    // ... the edge between grey and white is kept.
    EXPECT_EQ(smooth[4][0], 255);
    EXPECT_LE(smooth[3][0], 107);
    uint8_t again[8][3];
    ASSERT_TRUE(device_->readFrontBuffer(&again[0][0], 3, 24, OutputFilter::None));
    EXPECT_EQ(std::memcmp(plain, again, sizeof(plain)), 0);
}
