#include "app/WinMain.h"

#include <cstdio>

#include "accel/Accelerator.h"
#include "app/MainWindow.h"
#include "app/ProcessState.h"
#include "app/SettingsDialog.h"
#include "platform/CdDevice.h"
#include "platform/WindowSystem.h"
#include "player/PlayDemo.h"

namespace {

void closeCd() {
    mciSendCommandA(appState.cdDeviceId, MCI_CLOSE, 0, 0);
}

void forgetCd() {
    appState.cdAvailable = 0;
    appState.cdTrackCount = 0;
}

int32_t frameBufferMegabytesOf(const GrSstConfig& board) {
    switch (board.type) {
    case GR_SSTTYPE_VOODOO:
    case GR_SSTTYPE_SST96:
    case GR_SSTTYPE_Voodoo2:
        return board.fbRam;
    default:
        return 2;
    }
}

void playCdTrack() {
    MCI_PLAY_PARMS play;
    play.dwCallback = reinterpret_cast<uintptr_t>(appState.mainWindow);
    play.dwFrom = MCI_MAKE_TMSF(demoSettings.cdTrack & 0xFF, 0, 0, 0);
    if (mciSendCommandA(appState.cdDeviceId, MCI_PLAY, MCI_NOTIFY | MCI_FROM,
                        reinterpret_cast<uintptr_t>(&play)) != 0) {
        closeCd();
    }
}

} // namespace

void openCdAudio() {
    forgetCd();
    MCI_OPEN_PARMS open;
    open.lpstrDeviceType = MCI_DEVTYPE_CD_AUDIO;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID,
                        reinterpret_cast<uintptr_t>(&open)) != 0) {
        return;
    }
    appState.cdDeviceId = open.wDeviceID;

    MCI_SET_PARMS set;
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    if (mciSendCommandA(appState.cdDeviceId, MCI_SET, MCI_SET_TIME_FORMAT,
                        reinterpret_cast<uintptr_t>(&set)) != 0) {
        closeCd();
        return;
    }

    MCI_STATUS_PARMS status;
    status.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
    if (mciSendCommandA(appState.cdDeviceId, MCI_STATUS, MCI_STATUS_ITEM,
                        reinterpret_cast<uintptr_t>(&status)) != 0) {
        closeCd();
        return;
    }
    appState.cdAvailable = 1;
    appState.cdTrackCount = static_cast<uint32_t>(status.dwReturn);

    // A disc of one track may be a data disc; with more tracks it is taken as audio.
    if (appState.cdTrackCount == 1) {
        MCI_STATUS_PARMS type;
        type.dwItem = MCI_CDA_STATUS_TYPE_TRACK;
        type.dwTrack = 1;
        if (mciSendCommandA(appState.cdDeviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                            reinterpret_cast<uintptr_t>(&type)) != 0 ||
            type.dwReturn != MCI_CDA_TRACK_AUDIO) {
            closeCd();
            forgetCd();
        }
    }
}

int32_t WinMain(void* instance, void* /*previousInstance*/, const char* /*commandLine*/,
                int32_t /*showCommand*/) {
    if (!createMainWindow(instance)) {
        return 0;
    }
    WindowSystem& windows = currentWindowSystem();

    grGlideInit();
    GrHwConfiguration hardware;
    if (!grSstQueryHardware(&hardware)) {
        windows.messageBox(appState.mainWindow, "Unable to initialize glide", "ERROR");
        grGlideShutdown();
        return kStartupFailed;
    }
    appState.frameBufferMegabytes = frameBufferMegabytesOf(hardware.SSTs[0]);

    openCdAudio();

    if (!runSettingsDialog(instance)) {
        if (appState.cdAvailable) {
            closeCd();
        }
        grGlideShutdown();
        windows.destroyWindow(appState.mainWindow);
        return 0;
    }

    if (appState.cdAvailable == 1 && demoSettings.noSound == 0) {
        playCdTrack();
    }

    const int32_t played = playDemo();

    if (appState.cdAvailable == 1) {
        if (demoSettings.noSound == 0) {
            MCI_GENERIC_PARMS stop;
            mciSendCommandA(appState.cdDeviceId, MCI_STOP, MCI_WAIT,
                            reinterpret_cast<uintptr_t>(&stop));
        }
        closeCd();
    }
    std::fputs("Exiting winMain()\n", stdout);
    std::fflush(stdout);
    windows.destroyWindow(appState.mainWindow);
    return played ? 0 : kStartupFailed;
}
