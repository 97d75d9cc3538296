// IFF pictures: ILBM, PBM, RGBN and RGB8, decoded to RGBA.
//
// What is read:
//   ILBM  1..8 bit planes through CMAP (no CMAP: a grey ramp), EHB (CAMG 0x80, or six
//         planes with at most 32 colours and no CAMG), HAM6 and HAM8 (CAMG 0x800),
//         24-bit (R, G, B planes, least significant first) and 32-bit deep (alpha
//         planes last); masking 1 (a mask plane after the colour planes: set = opaque)
//         and 2 (BMHD's transparent colour index); compression 0 (none) and 1
//         (ByteRun1, read as one stream over the whole BODY so runs may cross rows)
//   PBM   one byte per pixel through CMAP, rows padded to even, same compression
//   RGBN  16-bit records (4 bits per channel, genlock, 3-bit count), compression 4
//   RGB8  32-bit records (8 bits per channel, genlock, 7-bit count), compression 4
// Genlock pixels of RGBN/RGB8 and masked-out pixels are transparent (alpha 0).
// A CMAP whose low nibbles are all 0 (4-bit colours) is widened by repeating the nibble.
//
// Refused with a reason: a missing BMHD or BODY, sides of 0 or above kMaxImageSide, a
// plane count or compression the kind does not have, a BODY that ends before the image
// is complete, and a header whose pixels the BODY could not describe even at the
// format's best compression (a lying header, so nothing large is allocated for it).
//
// Written by us: no library on the system reads these Amiga formats.
#pragma once

#include <cstddef>
#include <cstdint>

#include "content/RgbaImage.h"

// True when the bytes start like an IFF picture (FORM + ILBM, PBM, RGBN or RGB8).
bool isIffPicture(const uint8_t* bytes, size_t size);

int32_t decodeIffPicture(const uint8_t* bytes, size_t size, RgbaImage& image, char* message,
                         size_t messageSize);
