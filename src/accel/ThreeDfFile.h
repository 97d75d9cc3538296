// 3DF texture files: a four-line text header, an optional table, then the mip-map
// levels.
//
//   3df v1.0                 any version numbers
//   rgb565                   format name, any case
//   lod range: 1 256         long side of the smallest and largest level
//   aspect ratio: 1 1        width : height, one side 1, the other 1, 2, 4 or 8
//   <table>                  yiq, ayiq8422: the NCC table, 40 big-endian 16-bit values
//                            (Y[16], I[4][3], Q[4][3], I and Q signed);
//                            p8, ap88: the palette, 256 big-endian 0x00RRGGBB
//   <levels>                 largest first, row by row; 16-bit texels big-endian
//
// Lines end in a line feed (a carriage return before it and extra blanks are
// tolerated); the binary data starts right after the fourth line feed. Reading
// validates everything against the file's size before touching the caller's buffer:
// a malformed, lying or short file is refused, never overrun. Paths are content paths
// (host path mapping applies).
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"

// Reads the header: width and height of the largest level, LODs, aspect, format and
// mem_required (texel bytes of all levels, packed). FXFALSE for a file that cannot be
// opened or is not a valid, complete 3DF file.
// (gu3dfGetInfo and gu3dfLoad are declared with the other operations.)

// Every format a 3DF file may hold, in the order of their format numbers.
inline constexpr GrTextureFormat_t kThreeDfFormats[] = {GR_TEXFMT_RGB_332,
                                                        GR_TEXFMT_YIQ_422,
                                                        GR_TEXFMT_ALPHA_8,
                                                        GR_TEXFMT_INTENSITY_8,
                                                        GR_TEXFMT_ALPHA_INTENSITY_44,
                                                        GR_TEXFMT_P_8,
                                                        GR_TEXFMT_ARGB_8332,
                                                        GR_TEXFMT_AYIQ_8422,
                                                        GR_TEXFMT_RGB_565,
                                                        GR_TEXFMT_ARGB_1555,
                                                        GR_TEXFMT_ARGB_4444,
                                                        GR_TEXFMT_ALPHA_INTENSITY_88,
                                                        GR_TEXFMT_AP_88};

// The format's name in a 3DF header ("rgb565" ...), or nullptr for an unknown format.
const char* threeDfFormatName(GrTextureFormat_t format);

// Writes a 3DF file at a host path from a header, its table (NCC or palette formats)
// and mem_required bytes of levels in host byte order. FXFALSE when the description is
// invalid or the file cannot be written.
FxBool write3dfFile(const char* hostPath, const Gu3dfInfo& info);
