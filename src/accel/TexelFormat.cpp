#include "accel/TexelFormat.h"

#include "accel/PixelMath.h"

namespace {

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}
uint32_t expand3(uint32_t v) {
    return v << 5 | v << 2 | v >> 1;
}
uint32_t expand2(uint32_t v) {
    return v * 0x55;
}
uint32_t expand4(uint32_t v) {
    return v * 0x11;
}
uint32_t rgb332(uint32_t v) {
    return expand3(v >> 5 & 7) << 16 | expand3(v >> 2 & 7) << 8 | expand2(v & 3);
}

} // namespace

uint32_t decodeNcc(const GuNccTable& table, uint32_t yiq) {
    const int32_t y = table.yRGB[yiq >> 4 & 15];
    const FxI16* i = table.iRGB[yiq >> 2 & 3];
    const FxI16* q = table.qRGB[yiq & 3];
    return argb(255, clampByte(y + i[0] + q[0]), clampByte(y + i[1] + q[1]),
                clampByte(y + i[2] + q[2]));
}

uint32_t decodeTexel(GrTextureFormat_t format, uint32_t raw, const GuNccTable& ncc,
                     const uint32_t palette[256]) {
    switch (format) {
    case GR_TEXFMT_RGB_332:
        return 0xFF000000u | rgb332(raw & 0xFF);
    case GR_TEXFMT_YIQ_422:
        return decodeNcc(ncc, raw & 0xFF);
    case GR_TEXFMT_ALPHA_8:
        raw &= 0xFF;
        return argb(raw, raw, raw, raw);
    case GR_TEXFMT_INTENSITY_8:
        raw &= 0xFF;
        return argb(255, raw, raw, raw);
    case GR_TEXFMT_ALPHA_INTENSITY_44: {
        const uint32_t i = expand4(raw & 15);
        return argb(expand4(raw >> 4 & 15), i, i, i);
    }
    case GR_TEXFMT_P_8:
        return 0xFF000000u | (palette[raw & 0xFF] & 0x00FFFFFFu);
    case GR_TEXFMT_ARGB_8332:
        return (raw >> 8 & 0xFF) << 24 | rgb332(raw & 0xFF);
    case GR_TEXFMT_AYIQ_8422:
        return (raw >> 8 & 0xFF) << 24 | (decodeNcc(ncc, raw & 0xFF) & 0x00FFFFFFu);
    case GR_TEXFMT_RGB_565:
        return rgb565ToArgb(raw & 0xFFFF);
    case GR_TEXFMT_ARGB_1555:
        return argb((raw & 0x8000) != 0 ? 255 : 0, expand5(raw >> 10 & 31), expand5(raw >> 5 & 31),
                    expand5(raw & 31));
    case GR_TEXFMT_ARGB_4444:
        return argb(expand4(raw >> 12 & 15), expand4(raw >> 8 & 15), expand4(raw >> 4 & 15),
                    expand4(raw & 15));
    case GR_TEXFMT_ALPHA_INTENSITY_88: {
        const uint32_t i = raw & 0xFF;
        return argb(raw >> 8 & 0xFF, i, i, i);
    }
    case GR_TEXFMT_AP_88:
        return (raw >> 8 & 0xFF) << 24 | (palette[raw & 0xFF] & 0x00FFFFFFu);
    default:
        return 0;
    }
}
