#include "accel/TraceDevice.h"

#include <cstdio>
#include <cstring>

#include "accel/TextureLayout.h"

namespace {

struct Name {
    int32_t value;
    const char* text;
};

#define NAME(constant)                                                                             \
    Name {                                                                                         \
        constant, #constant                                                                        \
    }

const Name kBooleans[] = {NAME(FXFALSE), NAME(FXTRUE)};
const Name kTmus[] = {NAME(GR_TMU0)};
const Name kResolutions[] = {NAME(GR_RESOLUTION_320x240), NAME(GR_RESOLUTION_512x384),
                             NAME(GR_RESOLUTION_640x480), NAME(GR_RESOLUTION_800x600)};
const Name kRefreshes[] = {NAME(GR_REFRESH_60Hz)};
const Name kColorFormats[] = {NAME(GR_COLORFORMAT_ARGB), NAME(GR_COLORFORMAT_ABGR)};
const Name kOrigins[] = {NAME(GR_ORIGIN_UPPER_LEFT), NAME(GR_ORIGIN_LOWER_LEFT)};
const Name kControls[] = {NAME(GR_CONTROL_ACTIVATE), NAME(GR_CONTROL_DEACTIVATE),
                          NAME(GR_CONTROL_RESIZE), NAME(GR_CONTROL_MOVE)};
const Name kDitherModes[] = {NAME(GR_DITHER_DISABLE), NAME(GR_DITHER_2x2), NAME(GR_DITHER_4x4)};
const Name kDepthModes[] = {NAME(GR_DEPTHBUFFER_DISABLE), NAME(GR_DEPTHBUFFER_ZBUFFER),
                            NAME(GR_DEPTHBUFFER_WBUFFER)};
const Name kCompares[] = {NAME(GR_CMP_NEVER),  NAME(GR_CMP_LESS),    NAME(GR_CMP_EQUAL),
                          NAME(GR_CMP_LEQUAL), NAME(GR_CMP_GREATER), NAME(GR_CMP_NOTEQUAL),
                          NAME(GR_CMP_GEQUAL), NAME(GR_CMP_ALWAYS)};
const Name kCullModes[] = {NAME(GR_CULL_DISABLE), NAME(GR_CULL_NEGATIVE), NAME(GR_CULL_POSITIVE)};
const Name kFunctions[] = {NAME(GR_COMBINE_FUNCTION_ZERO),
                           NAME(GR_COMBINE_FUNCTION_LOCAL),
                           NAME(GR_COMBINE_FUNCTION_LOCAL_ALPHA),
                           NAME(GR_COMBINE_FUNCTION_SCALE_OTHER),
                           NAME(GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL),
                           NAME(GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA),
                           NAME(GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL),
                           NAME(GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL),
                           NAME(GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA),
                           NAME(GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL),
                           NAME(GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA)};
const Name kFactors[] = {NAME(GR_COMBINE_FACTOR_ZERO),
                         NAME(GR_COMBINE_FACTOR_LOCAL),
                         NAME(GR_COMBINE_FACTOR_OTHER_ALPHA),
                         NAME(GR_COMBINE_FACTOR_LOCAL_ALPHA),
                         NAME(GR_COMBINE_FACTOR_TEXTURE_ALPHA),
                         NAME(GR_COMBINE_FACTOR_ONE),
                         NAME(GR_COMBINE_FACTOR_ONE_MINUS_LOCAL),
                         NAME(GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA),
                         NAME(GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA),
                         NAME(GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA)};
const Name kLocals[] = {NAME(GR_COMBINE_LOCAL_ITERATED), NAME(GR_COMBINE_LOCAL_CONSTANT),
                        NAME(GR_COMBINE_LOCAL_DEPTH)};
const Name kOthers[] = {NAME(GR_COMBINE_OTHER_ITERATED), NAME(GR_COMBINE_OTHER_TEXTURE),
                        NAME(GR_COMBINE_OTHER_CONSTANT)};
const Name kBlends[] = {NAME(GR_BLEND_ZERO),
                        NAME(GR_BLEND_SRC_ALPHA),
                        NAME(GR_BLEND_SRC_COLOR),
                        NAME(GR_BLEND_DST_ALPHA),
                        NAME(GR_BLEND_ONE),
                        NAME(GR_BLEND_ONE_MINUS_SRC_ALPHA),
                        NAME(GR_BLEND_ONE_MINUS_SRC_COLOR),
                        NAME(GR_BLEND_ONE_MINUS_DST_ALPHA),
                        NAME(GR_BLEND_ALPHA_SATURATE)};
const Name kLods[] = {NAME(GR_LOD_256), NAME(GR_LOD_128), NAME(GR_LOD_64),
                      NAME(GR_LOD_32),  NAME(GR_LOD_16),  NAME(GR_LOD_8),
                      NAME(GR_LOD_4),   NAME(GR_LOD_2),   NAME(GR_LOD_1)};
const Name kAspects[] = {NAME(GR_ASPECT_8x1), NAME(GR_ASPECT_4x1), NAME(GR_ASPECT_2x1),
                         NAME(GR_ASPECT_1x1), NAME(GR_ASPECT_1x2), NAME(GR_ASPECT_1x4),
                         NAME(GR_ASPECT_1x8)};
const Name kFormats[] = {NAME(GR_TEXFMT_RGB_332),
                         NAME(GR_TEXFMT_YIQ_422),
                         NAME(GR_TEXFMT_ALPHA_8),
                         NAME(GR_TEXFMT_INTENSITY_8),
                         NAME(GR_TEXFMT_ALPHA_INTENSITY_44),
                         NAME(GR_TEXFMT_P_8),
                         NAME(GR_TEXFMT_ARGB_8332),
                         NAME(GR_TEXFMT_AYIQ_8422),
                         NAME(GR_TEXFMT_RGB_565),
                         NAME(GR_TEXFMT_ARGB_1555),
                         NAME(GR_TEXFMT_ARGB_4444),
                         NAME(GR_TEXFMT_ALPHA_INTENSITY_88),
                         NAME(GR_TEXFMT_AP_88)};
const Name kLevelMasks[] = {NAME(GR_MIPMAPLEVELMASK_EVEN), NAME(GR_MIPMAPLEVELMASK_ODD),
                            NAME(GR_MIPMAPLEVELMASK_BOTH)};
const Name kTables[] = {NAME(GR_TEXTABLE_NCC0), NAME(GR_TEXTABLE_NCC1), NAME(GR_TEXTABLE_PALETTE)};
const Name kNccTables[] = {NAME(GR_NCCTABLE_NCC0), NAME(GR_NCCTABLE_NCC1)};
const Name kFilters[] = {NAME(GR_TEXTUREFILTER_POINT_SAMPLED), NAME(GR_TEXTUREFILTER_BILINEAR)};
const Name kMipMapModes[] = {NAME(GR_MIPMAP_DISABLE), NAME(GR_MIPMAP_NEAREST)};
const Name kClampModes[] = {NAME(GR_TEXTURECLAMP_WRAP), NAME(GR_TEXTURECLAMP_CLAMP)};

#undef NAME

template <size_t N>
std::string named(const Name (&names)[N], int64_t value) {
    for (const Name& n : names) {
        if (n.value == value) {
            return n.text;
        }
    }
    return std::to_string(value);
}

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08x", value);
    return text;
}

uint32_t fnv1a(const void* data, size_t size) {
    uint32_t hash = 2166136261u;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 16777619u;
    }
    return hash;
}

std::string texInfo(const GrTexInfo* info) {
    if (info == nullptr) {
        return "null";
    }
    std::string text = "{small=" + named(kLods, info->smallLod) +
                       " large=" + named(kLods, info->largeLod) +
                       " aspect=" + named(kAspects, info->aspectRatio) +
                       " format=" + named(kFormats, info->format);
    const uint32_t bytes = textureTexelBytes(*info);
    if (info->data != nullptr && bytes > 0) {
        text += " data=" + hex(fnv1a(info->data, bytes));
    }
    return text + "}";
}

std::string vertex(const GrVertex* v) {
    if (v == nullptr) {
        return "null";
    }
    const GrTmuVertex& t = v->tmuvtx[0];
    return "{x=" + traceFloat(v->x) + " y=" + traceFloat(v->y) + " z=" + traceFloat(v->z) +
           " r=" + traceFloat(v->r) + " g=" + traceFloat(v->g) + " b=" + traceFloat(v->b) +
           " a=" + traceFloat(v->a) + " ooz=" + traceFloat(v->ooz) + " oow=" + traceFloat(v->oow) +
           " sow=" + traceFloat(t.sow) + " tow=" + traceFloat(t.tow) +
           " tmuoow=" + traceFloat(t.oow) + "}";
}

std::string combine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
    return named(kFunctions, function) + ", " + named(kFactors, factor) + ", " +
           named(kLocals, local) + ", " + named(kOthers, other) + ", " + named(kBooleans, invert);
}

} // namespace

std::string traceFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
    return text;
}

void TraceDevice::grGlideInit() {
    line("grGlideInit()");
    if (forward_ != nullptr) {
        forward_->grGlideInit();
    }
}

FxBool TraceDevice::grSstQueryHardware(GrHwConfiguration* hardware) {
    FxBool result = FXTRUE;
    if (forward_ != nullptr) {
        result = forward_->grSstQueryHardware(hardware);
    } else if (hardware != nullptr) {
        *hardware = GrHwConfiguration{};
        hardware->num_sst = 1;
    }
    line("grSstQueryHardware() = " + std::to_string(result));
    return result;
}

void TraceDevice::grSstSelect(int which) {
    line("grSstSelect(" + std::to_string(which) + ")");
    if (forward_ != nullptr) {
        forward_->grSstSelect(which);
    }
}

FxBool TraceDevice::grSstWinOpen(void* window, GrScreenResolution_t resolution,
                                 GrScreenRefresh_t refresh, GrColorFormat_t colorFormat,
                                 GrOriginLocation_t origin, int colorBuffers, int auxBuffers) {
    const FxBool result = forward_ != nullptr
                              ? forward_->grSstWinOpen(window, resolution, refresh, colorFormat,
                                                       origin, colorBuffers, auxBuffers)
                              : FXTRUE;
    line(std::string("grSstWinOpen(") + (window != nullptr ? "window" : "null") + ", " +
         named(kResolutions, resolution) + ", " + named(kRefreshes, refresh) + ", " +
         named(kColorFormats, colorFormat) + ", " + named(kOrigins, origin) + ", " +
         std::to_string(colorBuffers) + ", " + std::to_string(auxBuffers) +
         ") = " + std::to_string(result));
    return result;
}

void TraceDevice::grGlideShutdown() {
    line("grGlideShutdown()");
    if (forward_ != nullptr) {
        forward_->grGlideShutdown();
    }
}

FxBool TraceDevice::grSstControl(GrControl_t code) {
    const FxBool result = forward_ != nullptr ? forward_->grSstControl(code) : FXTRUE;
    line("grSstControl(" + named(kControls, code) + ") = " + std::to_string(result));
    return result;
}

void TraceDevice::grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth) {
    line("grBufferClear(" + hex(color) + ", " + std::to_string(alpha) + ", " +
         std::to_string(depth) + ")");
    if (forward_ != nullptr) {
        forward_->grBufferClear(color, alpha, depth);
    }
}

void TraceDevice::grBufferSwap(int swapInterval) {
    line("grBufferSwap(" + std::to_string(swapInterval) + ")");
    if (forward_ != nullptr) {
        forward_->grBufferSwap(swapInterval);
    }
}

int TraceDevice::grBufferNumPending() {
    const int result = forward_ != nullptr ? forward_->grBufferNumPending() : 0;
    line("grBufferNumPending() = " + std::to_string(result));
    return result;
}

void TraceDevice::grClipWindow(FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY) {
    line("grClipWindow(" + std::to_string(minX) + ", " + std::to_string(minY) + ", " +
         std::to_string(maxX) + ", " + std::to_string(maxY) + ")");
    if (forward_ != nullptr) {
        forward_->grClipWindow(minX, minY, maxX, maxY);
    }
}

void TraceDevice::grSstOrigin(GrOriginLocation_t origin) {
    line("grSstOrigin(" + named(kOrigins, origin) + ")");
    if (forward_ != nullptr) {
        forward_->grSstOrigin(origin);
    }
}

void TraceDevice::grDitherMode(GrDitherMode_t mode) {
    line("grDitherMode(" + named(kDitherModes, mode) + ")");
    if (forward_ != nullptr) {
        forward_->grDitherMode(mode);
    }
}

void TraceDevice::grDepthBufferMode(GrDepthBufferMode_t mode) {
    line("grDepthBufferMode(" + named(kDepthModes, mode) + ")");
    if (forward_ != nullptr) {
        forward_->grDepthBufferMode(mode);
    }
}

void TraceDevice::grDepthBufferFunction(GrCmpFnc_t function) {
    line("grDepthBufferFunction(" + named(kCompares, function) + ")");
    if (forward_ != nullptr) {
        forward_->grDepthBufferFunction(function);
    }
}

void TraceDevice::grDepthMask(FxBool enable) {
    line("grDepthMask(" + named(kBooleans, enable) + ")");
    if (forward_ != nullptr) {
        forward_->grDepthMask(enable);
    }
}

void TraceDevice::grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                 GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) {
    line("grColorCombine(" + combine(function, factor, local, other, invert) + ")");
    if (forward_ != nullptr) {
        forward_->grColorCombine(function, factor, local, other, invert);
    }
}

void TraceDevice::grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                 GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) {
    line("grAlphaCombine(" + combine(function, factor, local, other, invert) + ")");
    if (forward_ != nullptr) {
        forward_->grAlphaCombine(function, factor, local, other, invert);
    }
}

void TraceDevice::grConstantColorValue(GrColor_t color) {
    line("grConstantColorValue(" + hex(color) + ")");
    if (forward_ != nullptr) {
        forward_->grConstantColorValue(color);
    }
}

void TraceDevice::grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource,
                                       GrAlphaBlendFnc_t rgbDestination,
                                       GrAlphaBlendFnc_t alphaSource,
                                       GrAlphaBlendFnc_t alphaDestination) {
    line("grAlphaBlendFunction(" + named(kBlends, rgbSource) + ", " +
         named(kBlends, rgbDestination) + ", " + named(kBlends, alphaSource) + ", " +
         named(kBlends, alphaDestination) + ")");
    if (forward_ != nullptr) {
        forward_->grAlphaBlendFunction(rgbSource, rgbDestination, alphaSource, alphaDestination);
    }
}

void TraceDevice::grAlphaTestFunction(GrCmpFnc_t function) {
    line("grAlphaTestFunction(" + named(kCompares, function) + ")");
    if (forward_ != nullptr) {
        forward_->grAlphaTestFunction(function);
    }
}

void TraceDevice::grAlphaTestReferenceValue(GrAlpha_t value) {
    line("grAlphaTestReferenceValue(" + std::to_string(value) + ")");
    if (forward_ != nullptr) {
        forward_->grAlphaTestReferenceValue(value);
    }
}

void TraceDevice::grCullMode(GrCullMode_t mode) {
    line("grCullMode(" + named(kCullModes, mode) + ")");
    if (forward_ != nullptr) {
        forward_->grCullMode(mode);
    }
}

FxU32 TraceDevice::grTexMinAddress(GrChipID_t tmu) {
    const FxU32 result = forward_ != nullptr ? forward_->grTexMinAddress(tmu) : 0;
    line("grTexMinAddress(" + named(kTmus, tmu) + ") = " + std::to_string(result));
    return result;
}

FxU32 TraceDevice::grTexMaxAddress(GrChipID_t tmu) {
    const FxU32 result = forward_ != nullptr ? forward_->grTexMaxAddress(tmu) : 4u << 20;
    line("grTexMaxAddress(" + named(kTmus, tmu) + ") = " + std::to_string(result));
    return result;
}

FxU32 TraceDevice::grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
    const FxU32 result = forward_ != nullptr
                             ? forward_->grTexTextureMemRequired(evenOdd, info)
                             : AcceleratorDevice::grTexTextureMemRequired(evenOdd, info);
    line("grTexTextureMemRequired(" + named(kLevelMasks, evenOdd) + ", " + texInfo(info) +
         ") = " + std::to_string(result));
    return result;
}

void TraceDevice::grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd,
                                      GrTexInfo* info) {
    line("grTexDownloadMipMap(" + named(kTmus, tmu) + ", " + std::to_string(startAddress) + ", " +
         named(kLevelMasks, evenOdd) + ", " + texInfo(info) + ")");
    if (forward_ != nullptr) {
        forward_->grTexDownloadMipMap(tmu, startAddress, evenOdd, info);
    }
}

void TraceDevice::grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data) {
    std::string table = "null";
    if (data != nullptr) {
        const size_t size = type == GR_TEXTABLE_PALETTE ? sizeof(GuTexPalette) : sizeof(GuNccTable);
        table = hex(fnv1a(data, size));
    }
    line("grTexDownloadTable(" + named(kTmus, tmu) + ", " + named(kTables, type) + ", " + table +
         ")");
    if (forward_ != nullptr) {
        forward_->grTexDownloadTable(tmu, type, data);
    }
}

void TraceDevice::grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table) {
    line("grTexNCCTable(" + named(kTmus, tmu) + ", " + named(kNccTables, table) + ")");
    if (forward_ != nullptr) {
        forward_->grTexNCCTable(tmu, table);
    }
}

void TraceDevice::grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
    line("grTexSource(" + named(kTmus, tmu) + ", " + std::to_string(startAddress) + ", " +
         named(kLevelMasks, evenOdd) + ", " + texInfo(info) + ")");
    if (forward_ != nullptr) {
        forward_->grTexSource(tmu, startAddress, evenOdd, info);
    }
}

void TraceDevice::grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction,
                               GrCombineFactor_t rgbFactor, GrCombineFunction_t alphaFunction,
                               GrCombineFactor_t alphaFactor, FxBool rgbInvert,
                               FxBool alphaInvert) {
    line("grTexCombine(" + named(kTmus, tmu) + ", " + named(kFunctions, rgbFunction) + ", " +
         named(kFactors, rgbFactor) + ", " + named(kFunctions, alphaFunction) + ", " +
         named(kFactors, alphaFactor) + ", " + named(kBooleans, rgbInvert) + ", " +
         named(kBooleans, alphaInvert) + ")");
    if (forward_ != nullptr) {
        forward_->grTexCombine(tmu, rgbFunction, rgbFactor, alphaFunction, alphaFactor, rgbInvert,
                               alphaInvert);
    }
}

void TraceDevice::grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                                  GrTextureFilterMode_t magFilter) {
    line("grTexFilterMode(" + named(kTmus, tmu) + ", " + named(kFilters, minFilter) + ", " +
         named(kFilters, magFilter) + ")");
    if (forward_ != nullptr) {
        forward_->grTexFilterMode(tmu, minFilter, magFilter);
    }
}

void TraceDevice::grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend) {
    line("grTexMipMapMode(" + named(kTmus, tmu) + ", " + named(kMipMapModes, mode) + ", " +
         named(kBooleans, lodBlend) + ")");
    if (forward_ != nullptr) {
        forward_->grTexMipMapMode(tmu, mode, lodBlend);
    }
}

void TraceDevice::grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp,
                                 GrTextureClampMode_t tClamp) {
    line("grTexClampMode(" + named(kTmus, tmu) + ", " + named(kClampModes, sClamp) + ", " +
         named(kClampModes, tClamp) + ")");
    if (forward_ != nullptr) {
        forward_->grTexClampMode(tmu, sClamp, tClamp);
    }
}

void TraceDevice::grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    line("grDrawTriangle(" + vertex(a) + ", " + vertex(b) + ", " + vertex(c) + ")");
    if (forward_ != nullptr) {
        forward_->grDrawTriangle(a, b, c);
    }
}

void TraceDevice::guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    line("guDrawTriangleWithClip(" + vertex(a) + ", " + vertex(b) + ", " + vertex(c) + ")");
    if (forward_ != nullptr) {
        forward_->guDrawTriangleWithClip(a, b, c);
    }
}
