#include "content/ColorQuantizer.h"

#include <algorithm>
#include <new>

namespace {

int32_t channelOf(uint32_t rgb, int32_t c) { // 0 r, 1 g, 2 b
    return static_cast<int32_t>(rgb >> (16 - 8 * c) & 0xFF);
}

int32_t distance(uint32_t a, uint32_t b) {
    int32_t sum = 0;
    for (int32_t c = 0; c < 3; ++c) {
        const int32_t d = channelOf(a, c) - channelOf(b, c);
        sum += d * d;
    }
    return sum;
}

struct Entry {
    uint32_t color;
    uint32_t count;
};

struct Box {
    size_t begin, end; // entries [begin, end)
    int32_t axis = 0;  // the channel of widest spread
    int32_t spread = 0;
};

void measure(const Entry* entries, Box& box) {
    int32_t lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int32_t c = 0; c < 3; ++c) {
            const int32_t v = channelOf(entries[i].color, c);
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
        }
    }
    box.spread = -1;
    for (int32_t c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.spread) {
            box.spread = hi[c] - lo[c];
            box.axis = c;
        }
    }
}

uint32_t meanColor(const Entry* entries, size_t begin, size_t end) {
    double sum[3] = {0, 0, 0};
    double total = 0;
    for (size_t i = begin; i < end; ++i) {
        for (int32_t c = 0; c < 3; ++c) {
            sum[c] += static_cast<double>(channelOf(entries[i].color, c)) * entries[i].count;
        }
        total += entries[i].count;
    }
    uint32_t rgb = 0;
    for (int32_t c = 0; c < 3; ++c) {
        const uint32_t v = static_cast<uint32_t>(sum[c] / total + 0.5);
        rgb |= (v > 255 ? 255 : v) << (16 - 8 * c);
    }
    return rgb;
}

} // namespace

bool ColorHistogram::build(const uint32_t* samples, size_t count) {
    size = 0;
    std::unique_ptr<uint32_t[]> sorted(new (std::nothrow) uint32_t[count == 0 ? 1 : count]);
    colors.reset(new (std::nothrow) uint32_t[count == 0 ? 1 : count]);
    counts.reset(new (std::nothrow) uint32_t[count == 0 ? 1 : count]);
    if (sorted == nullptr || colors == nullptr || counts == nullptr) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        sorted[i] = samples[i] & 0x00FFFFFFu;
    }
    std::sort(sorted.get(), sorted.get() + count);
    for (size_t i = 0; i < count; ++i) {
        if (size > 0 && colors[size - 1] == sorted[i]) {
            ++counts[size - 1];
        } else {
            colors[size] = sorted[i];
            counts[size] = 1;
            ++size;
        }
    }
    return true;
}

int32_t buildPalette(const ColorHistogram& histogram, int32_t maxColors, uint32_t palette[256]) {
    std::fill(palette, palette + 256, 0u);
    maxColors = std::clamp(maxColors, 1, 256);
    const size_t n = histogram.size;
    if (n == 0) {
        return 0;
    }
    if (n <= static_cast<size_t>(maxColors)) {
        for (size_t i = 0; i < n; ++i) {
            palette[i] = histogram.colors[i];
        }
        return static_cast<int32_t>(n);
    }
    std::unique_ptr<Entry[]> entries(new (std::nothrow) Entry[n]);
    if (entries == nullptr) {
        return 0;
    }
    for (size_t i = 0; i < n; ++i) {
        entries[i] = {histogram.colors[i], histogram.counts[i]};
    }

    // Median cut.
    Box boxes[256];
    int32_t boxCount = 1;
    boxes[0] = {0, n, 0, 0};
    measure(entries.get(), boxes[0]);
    while (boxCount < maxColors) {
        int32_t widest = -1;
        for (int32_t b = 0; b < boxCount; ++b) {
            if (boxes[b].end - boxes[b].begin > 1 &&
                (widest < 0 || boxes[b].spread > boxes[widest].spread)) {
                widest = b;
            }
        }
        if (widest < 0 || boxes[widest].spread == 0) {
            break;
        }
        Box& box = boxes[widest];
        const int32_t axis = box.axis;
        std::sort(entries.get() + box.begin, entries.get() + box.end,
                  [axis](const Entry& a, const Entry& b) {
                      return channelOf(a.color, axis) < channelOf(b.color, axis);
                  });
        uint64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            total += entries[i].count;
        }
        uint64_t running = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            running += entries[i].count;
            split = i + 1;
            if (2 * running >= total) {
                break;
            }
        }
        Box upper = {split, box.end, 0, 0};
        box.end = split;
        measure(entries.get(), box);
        measure(entries.get(), upper);
        boxes[boxCount++] = upper;
    }
    for (int32_t b = 0; b < boxCount; ++b) {
        palette[b] = meanColor(entries.get(), boxes[b].begin, boxes[b].end);
    }

    // k-means refinement.
    for (int32_t round = 0; round < 4; ++round) {
        double sum[256][3] = {};
        double weight[256] = {};
        for (size_t i = 0; i < n; ++i) {
            const int32_t k = nearestPaletteEntry(palette, boxCount, entries[i].color);
            for (int32_t c = 0; c < 3; ++c) {
                sum[k][c] += static_cast<double>(channelOf(entries[i].color, c)) * entries[i].count;
            }
            weight[k] += entries[i].count;
        }
        for (int32_t k = 0; k < boxCount; ++k) {
            if (weight[k] == 0) {
                continue;
            }
            uint32_t rgb = 0;
            for (int32_t c = 0; c < 3; ++c) {
                const uint32_t v = static_cast<uint32_t>(sum[k][c] / weight[k] + 0.5);
                rgb |= (v > 255 ? 255 : v) << (16 - 8 * c);
            }
            palette[k] = rgb;
        }
    }
    return boxCount;
}

int32_t nearestPaletteEntry(const uint32_t* palette, int32_t count, uint32_t rgb) {
    int32_t best = 0;
    int32_t bestDistance = 1 << 30;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t d = distance(palette[k], rgb);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
            if (d == 0) {
                break;
            }
        }
    }
    return best;
}
