// The accelerator library: the operations the system draws through, by the library's
// names (grDrawTriangle, GrVertex, GR_CMP_LESS ...).
//
// Every free function here forwards to the current device (see accel/Device.h): the
// software rasteriser, a tracing device, or a device that has been shut down, on which
// every call is a harmless no-op. The values of the constants are ours; nothing needs
// binary compatibility with the historical library, only its behaviour.
//
// Call order, as the player uses it:
//   grGlideInit(); grSstQueryHardware(&hw); grSstSelect(0);
//   grSstWinOpen(...); grClipWindow(...); grDepthBufferMode(...); ...
//   per frame: grBufferClear(...); <state calls, texture calls, grDrawTriangle ...>;
//              grBufferSwap(interval);
//   grGlideShutdown();
//
// Units: vertex x and y are screen pixels (snapped to 1/16 pixel), colours and alpha
// 0..255 as floats, ooz = 65535 / z, oow = 1 / z; texture coordinates sow and tow are
// texels of a 256-texel texture divided by depth.
#pragma once

#include <cstdint>

using FxU8 = uint8_t;
using FxI16 = int16_t;
using FxU16 = uint16_t;
using FxI32 = int32_t;
using FxU32 = uint32_t;
using FxBool = int32_t;
inline constexpr FxBool FXFALSE = 0;
inline constexpr FxBool FXTRUE = 1;

using GrColor_t = FxU32; // 0xAARRGGBB
using GrAlpha_t = FxU8;

// ---- Board and surface -------------------------------------------------------------

using GrChipID_t = FxI32;
inline constexpr GrChipID_t GR_TMU0 = 0;

using GrSstType = FxI32;
inline constexpr GrSstType GR_SSTTYPE_VOODOO = 0;
inline constexpr GrSstType GR_SSTTYPE_SST96 = 1;
inline constexpr GrSstType GR_SSTTYPE_AT3D = 2;
inline constexpr GrSstType GR_SSTTYPE_Voodoo2 = 3;

struct GrSstConfig {
    GrSstType type = GR_SSTTYPE_VOODOO;
    FxI32 fbRam = 4;    // frame-buffer memory, megabytes
    FxI32 tmuCount = 1; // texture units
    FxI32 tmuRam = 4;   // texture memory per unit, megabytes
};

struct GrHwConfiguration {
    FxI32 num_sst = 0; // boards found
    GrSstConfig SSTs[4];
};

using GrScreenResolution_t = FxI32;
inline constexpr GrScreenResolution_t GR_RESOLUTION_320x240 = 0;
inline constexpr GrScreenResolution_t GR_RESOLUTION_512x384 = 1;
inline constexpr GrScreenResolution_t GR_RESOLUTION_640x480 = 2;
inline constexpr GrScreenResolution_t GR_RESOLUTION_800x600 = 3;

using GrScreenRefresh_t = FxI32;
inline constexpr GrScreenRefresh_t GR_REFRESH_60Hz = 0;

using GrColorFormat_t = FxI32;
inline constexpr GrColorFormat_t GR_COLORFORMAT_ARGB = 0;
inline constexpr GrColorFormat_t GR_COLORFORMAT_ABGR = 1;

using GrOriginLocation_t = FxI32;
inline constexpr GrOriginLocation_t GR_ORIGIN_UPPER_LEFT = 0;
inline constexpr GrOriginLocation_t GR_ORIGIN_LOWER_LEFT = 1;

using GrControl_t = FxU32;
inline constexpr GrControl_t GR_CONTROL_ACTIVATE = 1;
inline constexpr GrControl_t GR_CONTROL_DEACTIVATE = 2;
inline constexpr GrControl_t GR_CONTROL_RESIZE = 3;
inline constexpr GrControl_t GR_CONTROL_MOVE = 4;

using GrDitherMode_t = FxI32;
inline constexpr GrDitherMode_t GR_DITHER_DISABLE = 0;
inline constexpr GrDitherMode_t GR_DITHER_2x2 = 1;
inline constexpr GrDitherMode_t GR_DITHER_4x4 = 2;

// ---- Depth, compare, cull ------------------------------------------------------------

using GrDepthBufferMode_t = FxI32;
inline constexpr GrDepthBufferMode_t GR_DEPTHBUFFER_DISABLE = 0;
inline constexpr GrDepthBufferMode_t GR_DEPTHBUFFER_ZBUFFER = 1;
inline constexpr GrDepthBufferMode_t GR_DEPTHBUFFER_WBUFFER = 2;

using GrCmpFnc_t = FxI32;
inline constexpr GrCmpFnc_t GR_CMP_NEVER = 0;
inline constexpr GrCmpFnc_t GR_CMP_LESS = 1;
inline constexpr GrCmpFnc_t GR_CMP_EQUAL = 2;
inline constexpr GrCmpFnc_t GR_CMP_LEQUAL = 3;
inline constexpr GrCmpFnc_t GR_CMP_GREATER = 4;
inline constexpr GrCmpFnc_t GR_CMP_NOTEQUAL = 5;
inline constexpr GrCmpFnc_t GR_CMP_GEQUAL = 6;
inline constexpr GrCmpFnc_t GR_CMP_ALWAYS = 7;

using GrCullMode_t = FxI32;
inline constexpr GrCullMode_t GR_CULL_DISABLE = 0;
inline constexpr GrCullMode_t GR_CULL_NEGATIVE = 1;
inline constexpr GrCullMode_t GR_CULL_POSITIVE = 2;

// ---- Colour and alpha combine, blend ------------------------------------------------

using GrCombineFunction_t = FxI32;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_ZERO = 0;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_NONE = GR_COMBINE_FUNCTION_ZERO;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_LOCAL = 1;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_LOCAL_ALPHA = 2;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER = 3;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL = 4;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA = 5;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL = 6;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL = 7;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA =
    8;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL = 9;
inline constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA = 10;

using GrCombineFactor_t = FxI32;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ZERO = 0;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_NONE = GR_COMBINE_FACTOR_ZERO;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOCAL = 1;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_OTHER_ALPHA = 2;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOCAL_ALPHA = 3;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_TEXTURE_ALPHA = 4;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE = 8;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOCAL = 9;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA = 10;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA = 11;
inline constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA = 12;

using GrCombineLocal_t = FxI32;
inline constexpr GrCombineLocal_t GR_COMBINE_LOCAL_ITERATED = 0;
inline constexpr GrCombineLocal_t GR_COMBINE_LOCAL_CONSTANT = 1;
inline constexpr GrCombineLocal_t GR_COMBINE_LOCAL_NONE = GR_COMBINE_LOCAL_CONSTANT;
inline constexpr GrCombineLocal_t GR_COMBINE_LOCAL_DEPTH = 2;

using GrCombineOther_t = FxI32;
inline constexpr GrCombineOther_t GR_COMBINE_OTHER_ITERATED = 0;
inline constexpr GrCombineOther_t GR_COMBINE_OTHER_TEXTURE = 1;
inline constexpr GrCombineOther_t GR_COMBINE_OTHER_CONSTANT = 2;
inline constexpr GrCombineOther_t GR_COMBINE_OTHER_NONE = GR_COMBINE_OTHER_CONSTANT;

using GrAlphaBlendFnc_t = FxI32;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ZERO = 0;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_SRC_ALPHA = 1;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_SRC_COLOR = 2;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_DST_COLOR = GR_BLEND_SRC_COLOR;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_DST_ALPHA = 3;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ONE = 4;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_SRC_ALPHA = 5;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_SRC_COLOR = 6;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_DST_COLOR = GR_BLEND_ONE_MINUS_SRC_COLOR;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_DST_ALPHA = 7;
inline constexpr GrAlphaBlendFnc_t GR_BLEND_ALPHA_SATURATE = 15;

// ---- Textures ------------------------------------------------------------------------

using GrLOD_t = FxI32; // names the long side of a level
inline constexpr GrLOD_t GR_LOD_256 = 0;
inline constexpr GrLOD_t GR_LOD_128 = 1;
inline constexpr GrLOD_t GR_LOD_64 = 2;
inline constexpr GrLOD_t GR_LOD_32 = 3;
inline constexpr GrLOD_t GR_LOD_16 = 4;
inline constexpr GrLOD_t GR_LOD_8 = 5;
inline constexpr GrLOD_t GR_LOD_4 = 6;
inline constexpr GrLOD_t GR_LOD_2 = 7;
inline constexpr GrLOD_t GR_LOD_1 = 8;

using GrAspectRatio_t = FxI32; // width : height
inline constexpr GrAspectRatio_t GR_ASPECT_8x1 = 0;
inline constexpr GrAspectRatio_t GR_ASPECT_4x1 = 1;
inline constexpr GrAspectRatio_t GR_ASPECT_2x1 = 2;
inline constexpr GrAspectRatio_t GR_ASPECT_1x1 = 3;
inline constexpr GrAspectRatio_t GR_ASPECT_1x2 = 4;
inline constexpr GrAspectRatio_t GR_ASPECT_1x4 = 5;
inline constexpr GrAspectRatio_t GR_ASPECT_1x8 = 6;

using GrTextureFormat_t = FxI32;
inline constexpr GrTextureFormat_t GR_TEXFMT_RGB_332 = 0;
inline constexpr GrTextureFormat_t GR_TEXFMT_YIQ_422 = 1;
inline constexpr GrTextureFormat_t GR_TEXFMT_ALPHA_8 = 2;
inline constexpr GrTextureFormat_t GR_TEXFMT_INTENSITY_8 = 3;
inline constexpr GrTextureFormat_t GR_TEXFMT_ALPHA_INTENSITY_44 = 4;
inline constexpr GrTextureFormat_t GR_TEXFMT_P_8 = 5;
inline constexpr GrTextureFormat_t GR_TEXFMT_ARGB_8332 = 8;
inline constexpr GrTextureFormat_t GR_TEXFMT_AYIQ_8422 = 9;
inline constexpr GrTextureFormat_t GR_TEXFMT_RGB_565 = 10;
inline constexpr GrTextureFormat_t GR_TEXFMT_ARGB_1555 = 11;
inline constexpr GrTextureFormat_t GR_TEXFMT_ARGB_4444 = 12;
inline constexpr GrTextureFormat_t GR_TEXFMT_ALPHA_INTENSITY_88 = 13;
inline constexpr GrTextureFormat_t GR_TEXFMT_AP_88 = 14;

inline constexpr FxU32 GR_MIPMAPLEVELMASK_EVEN = 1;
inline constexpr FxU32 GR_MIPMAPLEVELMASK_ODD = 2;
inline constexpr FxU32 GR_MIPMAPLEVELMASK_BOTH = 3;

using GrTexTable_t = FxI32;
inline constexpr GrTexTable_t GR_TEXTABLE_NCC0 = 0;
inline constexpr GrTexTable_t GR_TEXTABLE_NCC1 = 1;
inline constexpr GrTexTable_t GR_TEXTABLE_PALETTE = 2;

using GrNCCTable_t = FxI32;
inline constexpr GrNCCTable_t GR_NCCTABLE_NCC0 = 0;
inline constexpr GrNCCTable_t GR_NCCTABLE_NCC1 = 1;

using GrTextureFilterMode_t = FxI32;
inline constexpr GrTextureFilterMode_t GR_TEXTUREFILTER_POINT_SAMPLED = 0;
inline constexpr GrTextureFilterMode_t GR_TEXTUREFILTER_BILINEAR = 1;

using GrMipMapMode_t = FxI32;
inline constexpr GrMipMapMode_t GR_MIPMAP_DISABLE = 0;
inline constexpr GrMipMapMode_t GR_MIPMAP_NEAREST = 1;

using GrTextureClampMode_t = FxI32;
inline constexpr GrTextureClampMode_t GR_TEXTURECLAMP_WRAP = 0;
inline constexpr GrTextureClampMode_t GR_TEXTURECLAMP_CLAMP = 1;

struct GrTexInfo {
    GrLOD_t smallLod = GR_LOD_1;
    GrLOD_t largeLod = GR_LOD_256;
    GrAspectRatio_t aspectRatio = GR_ASPECT_1x1;
    GrTextureFormat_t format = GR_TEXFMT_RGB_565;
    void* data = nullptr; // host copy of the levels, largest first (not owned)
};

// NCC (YIQ) decompression table: R = clamp(Y[y] + I[i].r + Q[q].r), likewise G and B.
struct GuNccTable {
    FxU8 yRGB[16] = {};
    FxI16 iRGB[4][3] = {}; // -256..255
    FxI16 qRGB[4][3] = {};
};

struct GuTexPalette {
    FxU32 data[256] = {}; // 0x00RRGGBB
};

struct Gu3dfHeader {
    FxU32 width = 0;
    FxU32 height = 0;
    GrLOD_t small_lod = GR_LOD_1;
    GrLOD_t large_lod = GR_LOD_256;
    GrAspectRatio_t aspect_ratio = GR_ASPECT_1x1;
    GrTextureFormat_t format = GR_TEXFMT_RGB_565;
};

union GuTexTable {
    GuNccTable nccTable;
    GuTexPalette palette;
    GuTexTable() : palette() {}
};

struct Gu3dfInfo {
    Gu3dfHeader header;
    GuTexTable table;
    void* data = nullptr;   // caller's buffer of mem_required bytes, filled by gu3dfLoad
    FxU32 mem_required = 0; // texel bytes of all levels
};

// ---- Vertices ------------------------------------------------------------------------

struct GrTmuVertex {
    float sow = 0.0f; // s / w, texels of a 256-texel texture
    float tow = 0.0f;
    float oow = 0.0f; // 1 / w
};

struct GrVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f; // screen pixels; z as given
    float r = 0.0f, g = 0.0f, b = 0.0f; // 0..255
    float ooz = 0.0f;                   // 65535 / z
    float a = 0.0f;                     // 0..255
    float oow = 0.0f;                   // 1 / z
    GrTmuVertex tmuvtx[1];
};

// ---- Operations ----------------------------------------------------------------------

void grGlideInit();
FxBool grSstQueryHardware(GrHwConfiguration* hardware);
void grSstSelect(int which);
FxBool grSstWinOpen(void* window, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                    GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                    int auxBuffers);
void grGlideShutdown();
FxBool grSstControl(GrControl_t code);

void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth);
void grBufferSwap(int swapInterval);
int grBufferNumPending();
void grClipWindow(FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY);
void grSstOrigin(GrOriginLocation_t origin);
void grDitherMode(GrDitherMode_t mode);

void grDepthBufferMode(GrDepthBufferMode_t mode);
void grDepthBufferFunction(GrCmpFnc_t function);
void grDepthMask(FxBool enable);

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert);
void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert);
void grConstantColorValue(GrColor_t color);
void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource, GrAlphaBlendFnc_t rgbDestination,
                          GrAlphaBlendFnc_t alphaSource, GrAlphaBlendFnc_t alphaDestination);
void grAlphaTestFunction(GrCmpFnc_t function);
void grAlphaTestReferenceValue(GrAlpha_t value);
void grCullMode(GrCullMode_t mode);

FxU32 grTexMinAddress(GrChipID_t tmu);
FxU32 grTexMaxAddress(GrChipID_t tmu);
FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info);
void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info);
void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data);
void grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table);
// Ours beyond the library: a null info makes no texture current, and every texel then
// reads as opaque white (what the texture table draws for a texture it cannot show).
void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info);
void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                  GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor,
                  FxBool rgbInvert, FxBool alphaInvert);
void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                     GrTextureFilterMode_t magFilter);
void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend);
void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp);

FxBool gu3dfGetInfo(const char* path, Gu3dfInfo* info);
FxBool gu3dfLoad(const char* path, Gu3dfInfo* info);

void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c);
void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c);
