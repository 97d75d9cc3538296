#include "app/WindowedPlayer.h"

#include <memory>
#include <new>

#include "app/ProcessState.h"
#include "app/SettingsDialog.h"
#include "app/WinMain.h"
#include "platform/CdDevice.h"
#include "platform/Clock.h"
#include "platform/WindowSystem.h"

namespace {

// The software board whose full-screen surface is the window: opening it makes the
// window full screen, shutting the library down gives the window back.
class WindowedDevice : public SoftwareDevice, public FramePresenter {
public:
    WindowedDevice(const SoftwareDeviceOptions& options, WindowSystem& windows)
        : SoftwareDevice(options), windows_(windows) {
        setPresenter(this);
    }

    FxBool grSstWinOpen(void* window, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                        GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                        int auxBuffers) override {
        const FxBool result = SoftwareDevice::grSstWinOpen(window, resolution, refresh, colorFormat,
                                                           origin, colorBuffers, auxBuffers);
        if (result) {
            windows_.openSurface(width(), height());
        }
        return result;
    }
    void grGlideShutdown() override {
        const bool wasOpen = isOpen();
        SoftwareDevice::grGlideShutdown();
        if (wasOpen) {
            windows_.closeSurface();
        }
    }

    // The front buffer goes to the window as it is: one copy, into the window's picture.
    void present(const SoftwareDevice& device, int swapInterval) override {
        const FrameView view = device.frontBuffer();
        if (view.pixels == nullptr) {
            return;
        }
        PresentedFrame frame;
        frame.pixels = view.pixels;
        frame.width = view.width;
        frame.height = view.height;
        frame.pitch = view.pitch;
        frame.format = view.rgb565 ? PixelFormat::Rgb565 : PixelFormat::Xrgb8888;
        frame.swapInterval = swapInterval;
        windows_.presentFrame(frame);
    }

private:
    WindowSystem& windows_;
};

} // namespace

void fitFourByThree(uint32_t width, uint32_t height, uint32_t* fittedWidth,
                    uint32_t* fittedHeight) {
    uint64_t w = width;
    uint64_t h = height;
    if (w * 3 > h * 4) {
        w = h * 4 / 3;
    } else {
        h = w * 3 / 4;
    }
    *fittedWidth = w < 1 ? 1 : static_cast<uint32_t>(w);
    *fittedHeight = h < 1 ? 1 : static_cast<uint32_t>(h);
}

int32_t runWindowedPlayer(WindowSystem& windows, CdDevice& cd, Clock& clock,
                          const PlayerOptions& options, void* instance) {
    SoftwareDeviceOptions deviceOptions;
    deviceOptions.colorMode = options.colorMode;
    uint32_t width = 0;
    uint32_t height = 0;
    if (options.width > 0 && options.height > 0) {
        fitFourByThree(options.width, options.height, &width, &height);
        deviceOptions.width = static_cast<int32_t>(width);
        deviceOptions.height = static_cast<int32_t>(height);
    }
    std::unique_ptr<WindowedDevice> device(new (std::nothrow)
                                               WindowedDevice(deviceOptions, windows));
    if (device == nullptr) {
        return kStartupFailed;
    }

    setWindowSystem(&windows);
    setCdDevice(&cd);
    setClock(&clock);
    setAcceleratorDevice(device.get());
    setScreenSizeOverride(width, height);

    appState.mainWindow = nullptr;
    const int32_t status = WinMain(instance, nullptr, "", 1);
    const int32_t ran = appState.mainWindow != nullptr ? 1 : 0;

    setScreenSizeOverride(0, 0);
    setAcceleratorDevice(nullptr);
    setClock(nullptr);
    setCdDevice(nullptr);
    setWindowSystem(nullptr);
    return ran ? status : kNoWindow;
}
