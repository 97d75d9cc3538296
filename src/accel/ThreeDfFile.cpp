#include "accel/ThreeDfFile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "accel/TextureLayout.h"
#include "platform/AsciiCase.h"
#include "platform/HostPath.h"

namespace {

struct FormatName {
    GrTextureFormat_t format;
    const char* name;
};

const FormatName kFormatNames[] = {
    {GR_TEXFMT_RGB_332, "rgb332"},
    {GR_TEXFMT_YIQ_422, "yiq"},
    {GR_TEXFMT_ALPHA_8, "a8"},
    {GR_TEXFMT_INTENSITY_8, "i8"},
    {GR_TEXFMT_ALPHA_INTENSITY_44, "ai44"},
    {GR_TEXFMT_P_8, "p8"},
    {GR_TEXFMT_ARGB_8332, "argb8332"},
    {GR_TEXFMT_AYIQ_8422, "ayiq8422"},
    {GR_TEXFMT_RGB_565, "rgb565"},
    {GR_TEXFMT_ARGB_1555, "argb1555"},
    {GR_TEXFMT_ARGB_4444, "argb4444"},
    {GR_TEXFMT_ALPHA_INTENSITY_88, "ai88"},
    {GR_TEXFMT_AP_88, "ap88"},
};

constexpr int kHeaderLines = 4;
constexpr int kMaxHeaderBytes = 512;
constexpr uint32_t kNccTableBytes = 40 * 2;
constexpr uint32_t kPaletteBytes = 256 * 4;

bool usesNccTable(GrTextureFormat_t f) {
    return f == GR_TEXFMT_YIQ_422 || f == GR_TEXFMT_AYIQ_8422;
}
bool usesPalette(GrTextureFormat_t f) {
    return f == GR_TEXFMT_P_8 || f == GR_TEXFMT_AP_88;
}

uint32_t tableBytes(GrTextureFormat_t format) {
    return usesNccTable(format) ? kNccTableBytes : usesPalette(format) ? kPaletteBytes : 0;
}

// log2(256 / size) for a power of two 1..256, else -1.
GrLOD_t lodOfSize(long size) {
    for (GrLOD_t lod = GR_LOD_256; lod <= GR_LOD_1; ++lod) {
        if (lodLongSide(lod) == size) {
            return lod;
        }
    }
    return -1;
}

GrAspectRatio_t aspectOf(long width, long height) {
    if (width == 1) {
        switch (height) {
        case 1:
            return GR_ASPECT_1x1;
        case 2:
            return GR_ASPECT_1x2;
        case 4:
            return GR_ASPECT_1x4;
        case 8:
            return GR_ASPECT_1x8;
        default:
            return -1;
        }
    }
    if (height == 1) {
        switch (width) {
        case 2:
            return GR_ASPECT_2x1;
        case 4:
            return GR_ASPECT_4x1;
        case 8:
            return GR_ASPECT_8x1;
        default:
            return -1;
        }
    }
    return -1;
}

const char* skipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\r') {
        ++p;
    }
    return p;
}

// Reads a decimal number at p (after blanks); false when there is none.
bool readNumber(const char*& p, long& value) {
    p = skipBlanks(p);
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
        return false;
    }
    char* end = nullptr;
    value = std::strtol(p, &end, 10);
    p = end;
    return value >= 0 && value <= 100000;
}

// Matches `word` (case-insensitive) after blanks and advances past it.
bool readWord(const char*& p, const char* word) {
    p = skipBlanks(p);
    const size_t n = std::strlen(word);
    if (asciiCompareNoCase(p, word, n) != 0) {
        return false;
    }
    p += n;
    return true;
}

bool atLineEnd(const char* p) {
    return *skipBlanks(p) == '\0';
}

// The parsed header plus where the binary data starts and how long the file is.
struct ParsedHeader {
    Gu3dfHeader header;
    uint32_t dataOffset = 0;
    uint32_t texelBytes = 0;
};

bool parseHeader(FILE* file, ParsedHeader& parsed) {
    char lines[kHeaderLines][kMaxHeaderBytes];
    int lineCount = 0;
    int length = 0;
    uint32_t offset = 0;
    while (lineCount < kHeaderLines) {
        const int c = std::fgetc(file);
        if (c == EOF || offset >= kMaxHeaderBytes) {
            return false;
        }
        ++offset;
        if (c == '\n') {
            lines[lineCount][length] = '\0';
            ++lineCount;
            length = 0;
            continue;
        }
        if (c == '\0' || length + 1 >= kMaxHeaderBytes) {
            return false;
        }
        lines[lineCount][length++] = static_cast<char>(c);
    }

    const char* p = lines[0];
    long major = 0;
    long minor = 0;
    if (!readWord(p, "3df") || !readWord(p, "v") || !readNumber(p, major) || *p++ != '.' ||
        !readNumber(p, minor) || !atLineEnd(p)) {
        return false;
    }

    p = skipBlanks(lines[1]);
    GrTextureFormat_t format = -1;
    for (const FormatName& f : kFormatNames) {
        const size_t n = std::strlen(f.name);
        if (asciiCompareNoCase(p, f.name, n) == 0 && atLineEnd(p + n)) {
            format = f.format;
        }
    }
    if (format < 0) {
        return false;
    }

    p = lines[2];
    long smallSize = 0;
    long largeSize = 0;
    if (!readWord(p, "lod") || !readWord(p, "range:") || !readNumber(p, smallSize) ||
        !readNumber(p, largeSize) || !atLineEnd(p)) {
        return false;
    }
    p = lines[3];
    long aspectWidth = 0;
    long aspectHeight = 0;
    if (!readWord(p, "aspect") || !readWord(p, "ratio:") || !readNumber(p, aspectWidth) ||
        !readNumber(p, aspectHeight) || !atLineEnd(p)) {
        return false;
    }

    Gu3dfHeader& h = parsed.header;
    h.small_lod = lodOfSize(smallSize);
    h.large_lod = lodOfSize(largeSize);
    h.aspect_ratio = aspectOf(aspectWidth, aspectHeight);
    h.format = format;
    GrTexInfo info;
    info.smallLod = h.small_lod;
    info.largeLod = h.large_lod;
    info.aspectRatio = h.aspect_ratio;
    info.format = format;
    if (!isValidTexInfo(info)) {
        return false;
    }
    int32_t width = 0;
    int32_t height = 0;
    levelDimensions(h.large_lod, h.aspect_ratio, width, height);
    h.width = static_cast<FxU32>(width);
    h.height = static_cast<FxU32>(height);
    parsed.dataOffset = offset;
    parsed.texelBytes = textureTexelBytes(info);

    // The file must hold the table and every level.
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    const long size = std::ftell(file);
    if (size < 0 || static_cast<unsigned long>(size) < static_cast<unsigned long>(offset) +
                                                           tableBytes(format) + parsed.texelBytes) {
        return false;
    }
    return std::fseek(file, offset, SEEK_SET) == 0;
}

uint32_t bigEndian16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

bool readTable(FILE* file, GrTextureFormat_t format, GuTexTable& table) {
    uint8_t bytes[kPaletteBytes];
    const uint32_t n = tableBytes(format);
    if (n == 0) {
        return true;
    }
    if (std::fread(bytes, 1, n, file) != n) {
        return false;
    }
    if (usesPalette(format)) {
        GuTexPalette palette;
        for (int i = 0; i < 256; ++i) {
            const uint8_t* e = bytes + 4 * i;
            palette.data[i] =
                (static_cast<uint32_t>(e[0]) << 24 | static_cast<uint32_t>(e[1]) << 16 |
                 static_cast<uint32_t>(e[2]) << 8 | e[3]) &
                0x00FFFFFFu;
        }
        table.palette = palette;
        return true;
    }
    GuNccTable ncc;
    int16_t values[40];
    for (int i = 0; i < 40; ++i) {
        values[i] = static_cast<int16_t>(bigEndian16(bytes + 2 * i));
    }
    for (int i = 0; i < 16; ++i) {
        if (values[i] < 0 || values[i] > 255) {
            return false;
        }
        ncc.yRGB[i] = static_cast<FxU8>(values[i]);
    }
    for (int i = 0; i < 12; ++i) {
        const int16_t iv = values[16 + i];
        const int16_t qv = values[28 + i];
        if (iv < -256 || iv > 255 || qv < -256 || qv > 255) {
            return false;
        }
        ncc.iRGB[i / 3][i % 3] = iv;
        ncc.qRGB[i / 3][i % 3] = qv;
    }
    table.nccTable = ncc;
    return true;
}

} // namespace

const char* threeDfFormatName(GrTextureFormat_t format) {
    for (const FormatName& f : kFormatNames) {
        if (f.format == format) {
            return f.name;
        }
    }
    return nullptr;
}

FxBool gu3dfGetInfo(const char* path, Gu3dfInfo* info) {
    if (info == nullptr) {
        return FXFALSE;
    }
    FILE* file = openContentFile(path);
    if (file == nullptr) {
        return FXFALSE;
    }
    ParsedHeader parsed;
    const bool ok = parseHeader(file, parsed);
    std::fclose(file);
    if (!ok) {
        return FXFALSE;
    }
    info->header = parsed.header;
    info->mem_required = parsed.texelBytes;
    return FXTRUE;
}

FxBool gu3dfLoad(const char* path, Gu3dfInfo* info) {
    if (info == nullptr || info->data == nullptr) {
        return FXFALSE;
    }
    FILE* file = openContentFile(path);
    if (file == nullptr) {
        return FXFALSE;
    }
    ParsedHeader parsed;
    GuTexTable table;
    // The caller sized its buffer from gu3dfGetInfo; a file that changed since then is
    // refused rather than read past that size.
    bool ok = parseHeader(file, parsed) && parsed.texelBytes == info->mem_required &&
              readTable(file, parsed.header.format, table);
    if (ok) {
        auto* texels = static_cast<uint8_t*>(info->data);
        ok = std::fread(texels, 1, parsed.texelBytes, file) == parsed.texelBytes;
        if (ok && bytesPerTexel(parsed.header.format) == 2) {
            for (uint32_t i = 0; i + 1 < parsed.texelBytes; i += 2) {
                const uint16_t value = static_cast<uint16_t>(bigEndian16(texels + i));
                std::memcpy(texels + i, &value, 2);
            }
        }
    }
    std::fclose(file);
    if (!ok) {
        return FXFALSE;
    }
    info->header = parsed.header;
    info->table = table;
    return FXTRUE;
}

FxBool write3dfFile(const char* hostPath, const Gu3dfInfo& info) {
    const Gu3dfHeader& h = info.header;
    GrTexInfo texInfo;
    texInfo.smallLod = h.small_lod;
    texInfo.largeLod = h.large_lod;
    texInfo.aspectRatio = h.aspect_ratio;
    texInfo.format = h.format;
    const uint32_t texelBytes = textureTexelBytes(texInfo);
    if (texelBytes == 0 || info.data == nullptr || info.mem_required != texelBytes) {
        return FXFALSE;
    }
    FILE* file = std::fopen(hostPath, "wb");
    if (file == nullptr) {
        return FXFALSE;
    }
    static const int kAspectSides[7][2] = {{8, 1}, {4, 1}, {2, 1}, {1, 1}, {1, 2}, {1, 4}, {1, 8}};
    const int* sides = kAspectSides[h.aspect_ratio];
    std::fprintf(file, "3df v1.0\n%s\nlod range: %d %d\naspect ratio: %d %d\n",
                 threeDfFormatName(h.format), lodLongSide(h.small_lod), lodLongSide(h.large_lod),
                 sides[0], sides[1]);
    auto put16 = [file](uint32_t v) {
        std::fputc(static_cast<int>((v >> 8) & 0xFF), file);
        std::fputc(static_cast<int>(v & 0xFF), file);
    };
    if (usesNccTable(h.format)) {
        const GuNccTable& ncc = info.table.nccTable;
        for (int i = 0; i < 16; ++i) {
            put16(ncc.yRGB[i]);
        }
        for (int i = 0; i < 12; ++i) {
            put16(static_cast<uint16_t>(ncc.iRGB[i / 3][i % 3]));
        }
        for (int i = 0; i < 12; ++i) {
            put16(static_cast<uint16_t>(ncc.qRGB[i / 3][i % 3]));
        }
    } else if (usesPalette(h.format)) {
        for (uint32_t entry : info.table.palette.data) {
            put16((entry >> 16) & 0xFF);
            put16(entry & 0xFFFF);
        }
    }
    const auto* texels = static_cast<const uint8_t*>(info.data);
    if (bytesPerTexel(h.format) == 2) {
        for (uint32_t i = 0; i + 1 < texelBytes; i += 2) {
            uint16_t value = 0;
            std::memcpy(&value, texels + i, 2);
            put16(value);
        }
    } else {
        std::fwrite(texels, 1, texelBytes, file);
    }
    const bool ok = std::ferror(file) == 0;
    return (std::fclose(file) == 0 && ok) ? FXTRUE : FXFALSE;
}
