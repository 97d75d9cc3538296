#include "content/ImageResample.h"

#include <cmath>
#include <memory>
#include <new>

namespace {

int32_t nearestPowerOfTwoLog(int32_t side) {
    const double l = std::log2(static_cast<double>(side < 1 ? 1 : side));
    const int32_t p = static_cast<int32_t>(std::floor(l + 0.5));
    return p < 0 ? 0 : (p > 8 ? 8 : p);
}

// One pass of the tent filter along rows (horizontal) of `in` (width inW, `rows` rows,
// 4 premultiplied floats per pixel) into `out` (outW per row).
void filterRows(const float* in, int32_t inW, int32_t rows, float* out, int32_t outW) {
    const double scale = static_cast<double>(inW) / outW;
    const double radius = scale > 1.0 ? scale : 1.0;
    for (int32_t o = 0; o < outW; ++o) {
        const double centre = (o + 0.5) * scale - 0.5;
        const int32_t first = static_cast<int32_t>(std::floor(centre - radius)) + 1;
        const int32_t last = static_cast<int32_t>(std::ceil(centre + radius)) - 1;
        auto weight = [&](int32_t i) {
            const double w = 1.0 - std::fabs(i - centre) / radius;
            return w > 0.0 ? w : 0.0;
        };
        double total = 0.0;
        for (int32_t i = first; i <= last; ++i) {
            total += weight(i);
        }
        for (int32_t r = 0; r < rows; ++r) {
            double sum[4] = {0, 0, 0, 0};
            for (int32_t i = first; i <= last; ++i) {
                const double w = weight(i);
                const int32_t tap = i < 0 ? 0 : (i >= inW ? inW - 1 : i);
                const float* p = in + (static_cast<size_t>(r) * inW + tap) * 4;
                for (int32_t c = 0; c < 4; ++c) {
                    sum[c] += w * p[c];
                }
            }
            float* q = out + (static_cast<size_t>(r) * outW + o) * 4;
            for (int32_t c = 0; c < 4; ++c) {
                q[c] = static_cast<float>(sum[c] / total);
            }
        }
    }
}

// Transposes a w x h image of 4-float pixels.
void transpose(const float* in, int32_t w, int32_t h, float* out) {
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const float* p = in + (static_cast<size_t>(y) * w + x) * 4;
            float* q = out + (static_cast<size_t>(x) * h + y) * 4;
            q[0] = p[0], q[1] = p[1], q[2] = p[2], q[3] = p[3];
        }
    }
}

uint8_t toByte(double v) {
    const double r = std::floor(v + 0.5);
    return static_cast<uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
}

// Premultiplied float pixels (0..255 scale) back to straight 8-bit RGBA.
void store(const float* in, RgbaImage& out) {
    const size_t n = static_cast<size_t>(out.width) * out.height;
    for (size_t i = 0; i < n; ++i) {
        const float* p = in + i * 4;
        uint8_t* q = out.pixels.get() + i * 4;
        const double a = p[3];
        for (int32_t c = 0; c < 3; ++c) {
            q[c] = a > 0.0 ? toByte(p[c] * 255.0 / a) : 0;
        }
        q[3] = toByte(a);
    }
}

} // namespace

void nearestTextureSize(int32_t width, int32_t height, int32_t& textureWidth,
                        int32_t& textureHeight) {
    int32_t pw = nearestPowerOfTwoLog(width);
    int32_t ph = nearestPowerOfTwoLog(height);
    if (pw - ph > 3) {
        ph = pw - 3;
    } else if (ph - pw > 3) {
        pw = ph - 3;
    }
    textureWidth = 1 << pw;
    textureHeight = 1 << ph;
}

bool resampleImage(const RgbaImage& source, int32_t width, int32_t height, RgbaImage& result) {
    if (source.width < 1 || source.height < 1 || !result.allocate(width, height)) {
        return false;
    }
    const size_t sourcePixels = static_cast<size_t>(source.width) * source.height;
    const size_t middlePixels = static_cast<size_t>(width) * source.height;
    const size_t outPixels = static_cast<size_t>(width) * height;
    std::unique_ptr<float[]> a(new (std::nothrow) float[sourcePixels * 4]);
    std::unique_ptr<float[]> b(new (std::nothrow) float[middlePixels * 4]);
    std::unique_ptr<float[]> c(new (std::nothrow) float[middlePixels * 4]);
    std::unique_ptr<float[]> d(new (std::nothrow) float[outPixels * 4]);
    std::unique_ptr<float[]> e(new (std::nothrow) float[outPixels * 4]);
    if (!a || !b || !c || !d || !e) {
        return false;
    }
    // Premultiplied: colour times alpha / 255, all on the 0..255 scale.
    for (size_t i = 0; i < sourcePixels; ++i) {
        const uint8_t* p = source.pixels.get() + i * 4;
        const float alpha = p[3] / 255.0f;
        a[i * 4 + 0] = p[0] * alpha;
        a[i * 4 + 1] = p[1] * alpha;
        a[i * 4 + 2] = p[2] * alpha;
        a[i * 4 + 3] = p[3];
    }
    filterRows(a.get(), source.width, source.height, b.get(), width);
    transpose(b.get(), width, source.height, c.get());
    filterRows(c.get(), source.height, width, d.get(), height);
    transpose(d.get(), height, width, e.get());
    store(e.get(), result);
    return true;
}

bool halveImage(const RgbaImage& source, RgbaImage& result) {
    const int32_t width = source.width > 1 ? source.width / 2 : 1;
    const int32_t height = source.height > 1 ? source.height / 2 : 1;
    if (!result.allocate(width, height)) {
        return false;
    }
    const int32_t fx = source.width > 1 ? 2 : 1;
    const int32_t fy = source.height > 1 ? 2 : 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int32_t j = 0; j < fy; ++j) {
                for (int32_t i = 0; i < fx; ++i) {
                    const uint8_t* p = source.at(x * fx + i, y * fy + j);
                    const double alpha = p[3];
                    sum[0] += p[0] * alpha;
                    sum[1] += p[1] * alpha;
                    sum[2] += p[2] * alpha;
                    sum[3] += alpha;
                }
            }
            uint8_t* q = result.at(x, y);
            for (int32_t c = 0; c < 3; ++c) {
                q[c] = sum[3] > 0.0 ? toByte(sum[c] / sum[3]) : 0;
            }
            q[3] = toByte(sum[3] / (fx * fy));
        }
    }
    return true;
}
