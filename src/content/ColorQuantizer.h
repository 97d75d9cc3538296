// Colour quantisation for palette textures: up to 256 colours that represent a set of
// RGB samples well, and the nearest palette entry of a colour.
//
// The palette is found by median cut on the distinct colours (weighted by how often each
// occurs): the box of colours with the widest spread along any channel is split at the
// weighted median of that channel until there are enough boxes, each box giving its
// weighted mean. Then a few rounds of k-means (assign every colour to its nearest entry,
// move each entry to the mean of its colours) pull the entries to the clusters. A set of
// at most `maxColors` distinct colours gets exactly those colours. Distances are squared
// RGB differences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Distinct colours of a sample set with their counts, colours ascending.
struct ColorHistogram {
    std::unique_ptr<uint32_t[]> colors; // 0x00RRGGBB
    std::unique_ptr<uint32_t[]> counts;
    size_t size = 0;

    // False when memory is short.
    bool build(const uint32_t* samples, size_t count);
};

// Fills `palette` (0x00RRGGBB) and returns the number of entries used (0 for no samples
// or no memory); unused entries are 0.
int32_t buildPalette(const ColorHistogram& histogram, int32_t maxColors, uint32_t palette[256]);

int32_t nearestPaletteEntry(const uint32_t* palette, int32_t count, uint32_t rgb);
