#include "content/NccFit.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "accel/TexelFormat.h"

namespace {

double channel(uint32_t rgb, int32_t c) {
    return static_cast<double>(rgb >> (16 - 8 * c) & 0xFF);
}

// Weighted 1-D k-means of `values` into `k` levels (k <= 16), seeded at quantiles.
void levelsOf(const double* values, const uint32_t* weights, size_t n, int32_t k, double* levels) {
    std::unique_ptr<size_t[]> order(new (std::nothrow) size_t[n]);
    if (order == nullptr) {
        for (int32_t j = 0; j < k; ++j) {
            levels[j] = 0.0;
        }
        return;
    }
    double total = 0.0;
    for (size_t i = 0; i < n; ++i) {
        order[i] = i;
        total += weights[i];
    }
    std::sort(order.get(), order.get() + n,
              [values](size_t a, size_t b) { return values[a] < values[b]; });
    double running = 0.0;
    int32_t next = 0;
    for (size_t i = 0; i < n && next < k; ++i) {
        running += weights[order[i]];
        while (next < k && running >= total * (next + 0.5) / k) {
            levels[next++] = values[order[i]];
        }
    }
    while (next < k) {
        levels[next] = next > 0 ? levels[next - 1] : 0.0;
        ++next;
    }
    for (int32_t round = 0; round < 8; ++round) {
        double sum[16] = {}, weight[16] = {};
        for (size_t i = 0; i < n; ++i) {
            int32_t best = 0;
            for (int32_t j = 1; j < k; ++j) {
                if (std::fabs(values[i] - levels[j]) < std::fabs(values[i] - levels[best])) {
                    best = j;
                }
            }
            sum[best] += values[i] * weights[i];
            weight[best] += weights[i];
        }
        for (int32_t j = 0; j < k; ++j) {
            if (weight[j] > 0.0) {
                levels[j] = sum[j] / weight[j];
            }
        }
    }
}

int16_t offset(double v) {
    return static_cast<int16_t>(std::clamp(std::floor(v + 0.5), -256.0, 255.0));
}

} // namespace

int32_t nearestNccTexel(const uint32_t decoded[256], uint32_t rgb) {
    return nearestPaletteEntry(decoded, 256, rgb);
}

void fitNccTable(const ColorHistogram& histogram, GuNccTable& table) {
    table = GuNccTable();
    const size_t n = histogram.size;
    std::unique_ptr<double[]> y(new (std::nothrow) double[n + 1]);
    std::unique_ptr<double[]> i(new (std::nothrow) double[n + 1]);
    std::unique_ptr<double[]> q(new (std::nothrow) double[n + 1]);
    std::unique_ptr<uint8_t[]> texel(new (std::nothrow) uint8_t[n + 1]);
    if (n == 0 || !y || !i || !q || !texel) {
        return;
    }
    for (size_t k = 0; k < n; ++k) {
        const uint32_t c = histogram.colors[k];
        const double r = channel(c, 0), g = channel(c, 1), b = channel(c, 2);
        y[k] = 0.299 * r + 0.587 * g + 0.114 * b;
        i[k] = 0.596 * r - 0.274 * g - 0.322 * b;
        q[k] = 0.211 * r - 0.523 * g + 0.312 * b;
    }
    double yLevels[16], iLevels[4], qLevels[4];
    levelsOf(y.get(), histogram.counts.get(), n, 16, yLevels);
    levelsOf(i.get(), histogram.counts.get(), n, 4, iLevels);
    levelsOf(q.get(), histogram.counts.get(), n, 4, qLevels);
    // Free RGB offsets, starting along the I and Q axes of the YIQ to RGB conversion.
    double yRgb[16], iRgb[4][3], qRgb[4][3];
    static const double kIAxis[3] = {0.956, -0.272, -1.106};
    static const double kQAxis[3] = {0.621, -0.647, 1.703};
    for (int32_t k = 0; k < 16; ++k) {
        yRgb[k] = yLevels[k];
    }
    for (int32_t k = 0; k < 4; ++k) {
        for (int32_t c = 0; c < 3; ++c) {
            iRgb[k][c] = iLevels[k] * kIAxis[c];
            qRgb[k][c] = qLevels[k] * kQAxis[c];
        }
    }
    auto store = [&]() {
        for (int32_t k = 0; k < 16; ++k) {
            table.yRGB[k] = static_cast<FxU8>(std::clamp(std::floor(yRgb[k] + 0.5), 0.0, 255.0));
        }
        for (int32_t k = 0; k < 4; ++k) {
            for (int32_t c = 0; c < 3; ++c) {
                table.iRGB[k][c] = offset(iRgb[k][c]);
                table.qRGB[k][c] = offset(qRgb[k][c]);
            }
        }
    };
    store();

    for (int32_t round = 0; round < 6; ++round) {
        uint32_t decoded[256];
        for (uint32_t t = 0; t < 256; ++t) {
            decoded[t] = decodeNcc(table, t);
        }
        for (size_t k = 0; k < n; ++k) {
            texel[k] = static_cast<uint8_t>(nearestNccTexel(decoded, histogram.colors[k]));
        }
        // Y: the mean over channels of what I and Q leave.
        double sumY[16] = {}, weightY[16] = {};
        for (size_t k = 0; k < n; ++k) {
            const int32_t t = texel[k];
            double residual = 0.0;
            for (int32_t c = 0; c < 3; ++c) {
                residual += channel(histogram.colors[k], c) - table.iRGB[t >> 2 & 3][c] -
                            table.qRGB[t & 3][c];
            }
            sumY[t >> 4] += residual / 3.0 * histogram.counts[k];
            weightY[t >> 4] += histogram.counts[k];
        }
        for (int32_t k = 0; k < 16; ++k) {
            if (weightY[k] > 0.0) {
                yRgb[k] = sumY[k] / weightY[k];
            }
        }
        store();
        // I, then Q: the mean RGB residual of their colours.
        for (int32_t axis = 0; axis < 2; ++axis) {
            double sum[4][3] = {}, weight[4] = {};
            for (size_t k = 0; k < n; ++k) {
                const int32_t t = texel[k];
                const int32_t mine = axis == 0 ? (t >> 2 & 3) : (t & 3);
                for (int32_t c = 0; c < 3; ++c) {
                    const double other =
                        axis == 0 ? table.qRGB[t & 3][c] : table.iRGB[t >> 2 & 3][c];
                    sum[mine][c] += (channel(histogram.colors[k], c) - table.yRGB[t >> 4] - other) *
                                    histogram.counts[k];
                }
                weight[mine] += histogram.counts[k];
            }
            for (int32_t k = 0; k < 4; ++k) {
                if (weight[k] > 0.0) {
                    for (int32_t c = 0; c < 3; ++c) {
                        (axis == 0 ? iRgb : qRgb)[k][c] = sum[k][c] / weight[k];
                    }
                }
            }
            store();
        }
    }
}
