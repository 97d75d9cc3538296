// emberplay.exe: the demo player on Windows. Run it in a demo folder (scenes\, objects\,
// textures\, optional cdrom\). It takes no arguments: the command line is ignored.
#include "app/win32/Win32Player.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
    return runWin32Player(instance);
}
