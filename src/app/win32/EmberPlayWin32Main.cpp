// emberplay.exe: the demo player on Windows. Run it in a demo folder (scenes\, objects\,
// textures\, optional cdrom\). It takes no arguments: the command line is ignored.
//
// The program's entry is the system's own WinMain (app/WinMain.h), which runs inside
// runWin32Player. This file therefore starts from main (MinGW's start-up code calls it
// in a windowed program too): GCC gives any function named WinMain C linkage on Windows,
// so a second WinMain here would be the same symbol and call itself.
#include "app/win32/Win32Player.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

int main() {
    return runWin32Player(GetModuleHandleA(nullptr));
}
