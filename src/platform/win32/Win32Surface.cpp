#include "platform/win32/Win32Surface.h"

#include <cstring>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

HWND asWindow(void* window) {
    return static_cast<HWND>(window);
}

// A DIB's description: 16-bit frames keep their RGB565 words (BI_BITFIELDS, the three
// masks after the header); 32-bit ones are B, G, R, 0 bytes.
struct DibInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

DibInfo dibInfo(int32_t width, int32_t height, bool rgb565) {
    DibInfo info{};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = -height; // negative: rows top to bottom
    info.header.biPlanes = 1;
    info.header.biBitCount = rgb565 ? 16 : 32;
    info.header.biCompression = rgb565 ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    return info;
}

// Bytes from one DIB row to the next: whole 32-bit words.
size_t dibStride(int32_t width, bool rgb565) {
    const size_t bytes = static_cast<size_t>(width) * (rgb565 ? 2 : 4);
    return (bytes + 3) & ~static_cast<size_t>(3);
}

void fillBlack(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right > left && bottom > top) {
        const RECT rect{left, top, right, bottom};
        FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

} // namespace

Win32Surface::~Win32Surface() {
    releaseBitmap();
}

void Win32Surface::open(void* window) {
    HWND hwnd = asWindow(window);
    if (!IsWindow(hwnd)) {
        return;
    }
    if (!open_) {
        RECT placed{};
        GetWindowRect(hwnd, &placed);
        savedLeft_ = placed.left;
        savedTop_ = placed.top;
        savedWidth_ = placed.right - placed.left;
        savedHeight_ = placed.bottom - placed.top;
    }
    open_ = true;
    hasFrame_ = false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& screen = monitor.rcMonitor;
    SetWindowPos(hwnd, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_SHOWWINDOW);
    InvalidateRect(hwnd, nullptr, TRUE);
    SetCursor(nullptr); // the pointer may rest over the screen without moving again
}

void Win32Surface::close(void* window) {
    if (!open_) {
        return;
    }
    open_ = false;
    hasFrame_ = false;
    releaseBitmap();
    HWND hwnd = asWindow(window);
    if (IsWindow(hwnd)) {
        SetWindowPos(hwnd, HWND_TOPMOST, savedLeft_, savedTop_, savedWidth_, savedHeight_,
                     SWP_NOACTIVATE);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

bool Win32Surface::ensureBitmap(int32_t width, int32_t height, bool rgb565) {
    if (bitmap_ != nullptr && width == width_ && height == height_ && rgb565 == rgb565_) {
        return true;
    }
    releaseBitmap();
    const DibInfo info = dibInfo(width, height, rgb565);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        return false;
    }
    bitmap_ = bitmap;
    bits_ = static_cast<uint8_t*>(bits);
    width_ = width;
    height_ = height;
    rgb565_ = rgb565;
    return true;
}

void Win32Surface::releaseBitmap() {
    if (bitmap_ != nullptr) {
        DeleteObject(static_cast<HBITMAP>(bitmap_));
    }
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
    hasFrame_ = false;
}

void Win32Surface::present(void* window, const PresentedFrame& frame) {
    HWND hwnd = asWindow(window);
    const bool rgb565 = frame.format == PixelFormat::Rgb565;
    const int32_t rowBytes = frame.width * (rgb565 ? 2 : 4);
    if (!open_ || !IsWindow(hwnd) || frame.pixels == nullptr || frame.width <= 0 ||
        frame.height <= 0 || frame.pitch < rowBytes ||
        !ensureBitmap(frame.width, frame.height, rgb565)) {
        return;
    }
    const size_t stride = dibStride(width_, rgb565_);
    const auto* source = static_cast<const uint8_t*>(frame.pixels);
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* in = source + static_cast<size_t>(y) * static_cast<size_t>(frame.pitch);
        uint8_t* out = bits_ + static_cast<size_t>(y) * stride;
        if (frame.format != PixelFormat::Rgba32) {
            std::memcpy(out, in, static_cast<size_t>(rowBytes)); // the DIB's own layout
            continue;
        }
        for (int32_t x = 0; x < frame.width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0;
        }
    }
    hasFrame_ = true;
    HDC dc = GetDC(hwnd);
    if (dc != nullptr) {
        draw(hwnd, dc);
        ReleaseDC(hwnd, dc);
    }
}

void Win32Surface::redraw(void* window, void* deviceContext) {
    if (open_ && hasFrame_) {
        draw(window, deviceContext);
    }
}

void Win32Surface::draw(void* window, void* deviceContext) {
    HWND hwnd = asWindow(window);
    HDC dc = static_cast<HDC>(deviceContext);
    RECT client{};
    GetClientRect(hwnd, &client);
    const int64_t areaWidth = client.right - client.left;
    const int64_t areaHeight = client.bottom - client.top;
    if (areaWidth <= 0 || areaHeight <= 0 || width_ <= 0 || height_ <= 0) {
        return;
    }
    // The largest rectangle of the frame's shape inside the window, centred.
    int64_t drawWidth = areaWidth;
    int64_t drawHeight = areaWidth * height_ / width_;
    if (drawHeight > areaHeight) {
        drawHeight = areaHeight;
        drawWidth = areaHeight * width_ / height_;
    }
    const auto left = static_cast<int32_t>((areaWidth - drawWidth) / 2);
    const auto top = static_cast<int32_t>((areaHeight - drawHeight) / 2);
    const auto right = static_cast<int32_t>(left + drawWidth);
    const auto bottom = static_cast<int32_t>(top + drawHeight);
    fillBlack(dc, 0, 0, static_cast<int32_t>(areaWidth), top);
    fillBlack(dc, 0, bottom, static_cast<int32_t>(areaWidth), static_cast<int32_t>(areaHeight));
    fillBlack(dc, 0, top, left, bottom);
    fillBlack(dc, right, top, static_cast<int32_t>(areaWidth), bottom);

    const DibInfo info = dibInfo(width_, height_, rgb565_);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, left, top, right - left, bottom - top, 0, 0, width_, height_, bits_,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
}
