// Texel formats: one raw texel (8 or 16 bits) to 0xAARRGGBB.
//
// Channels narrower than 8 bits expand by replicating their high bits (5 bits:
// v << 3 | v >> 2; 1 bit: 0 or 255). ALPHA_8 gives R = G = B = A (our choice),
// INTENSITY_8 R = G = B = I with A = 255, formats without alpha A = 255. YIQ texels
// decode through an NCC table in signed integers, clamped per channel:
//     R = clamp(Y[t >> 4] + I[(t >> 2) & 3].r + Q[t & 3].r, 0, 255), likewise G and B;
// palette texels through 256 entries 0x00RRGGBB. AYIQ_8422 and AP_88 carry alpha in
// their high byte. Unknown formats decode to 0.
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"

uint32_t decodeNcc(const GuNccTable& table, uint32_t yiq);
uint32_t decodeTexel(GrTextureFormat_t format, uint32_t raw, const GuNccTable& ncc,
                     const uint32_t palette[256]);
