// Win32Surface: the accelerator's full-screen output, stood in for by the program's
// window and GDI.
//
// open() moves the window over the whole of its monitor (remembering where it was);
// present() copies a finished frame into a top-down DIB section of its own layout (the
// 16-bit RGB565 words of the authentic look as they are, 32-bit pixels as B, G, R, 0) and
// draws it with StretchDIBits, scaled to the window with its aspect kept and black bars
// around (the HALFTONE stretch mode: the ordered dither blends as it did on a monitor);
// redraw()
// draws the last frame again into a paint context; close() drops the frame and puts the
// window back. Handles are the system's (HWND, HDC) passed as void*.
//
// What it does not do: change the display mode (the frame is scaled instead) or wait
// for the vertical retrace itself (the window system asks the compositor).
#pragma once

#include <cstdint>

#include "platform/WindowSystem.h"

class Win32Surface {
public:
    Win32Surface() = default;
    ~Win32Surface();
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    void open(void* window);
    void present(void* window, const PresentedFrame& frame);
    void redraw(void* window, void* deviceContext);
    void close(void* window);
    bool isOpen() const { return open_; }

private:
    bool ensureBitmap(int32_t width, int32_t height, bool rgb565);
    void releaseBitmap();
    void draw(void* window, void* deviceContext);

    bool open_ = false;
    int32_t savedLeft_ = 0, savedTop_ = 0, savedWidth_ = 0, savedHeight_ = 0;
    void* bitmap_ = nullptr;  // HBITMAP of the DIB section
    uint8_t* bits_ = nullptr; // its pixels, rows top to bottom
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool rgb565_ = false; // 16-bit RGB565 words, else 32-bit B, G, R, 0
    bool hasFrame_ = false;
};
