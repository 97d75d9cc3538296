#include "content/ClipTexture.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "accel/TextureLayout.h"
#include "content/PictureFile.h"
#include "content/TextureConverter.h"
#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "texture/TextureTable.h"

namespace {

constexpr int32_t kMaxCandidates = 6;
constexpr size_t kPathSize = 1024;

const Lwo2Clip* findClip(const Lwo2Model& model, uint32_t index) {
    // XREF clips show another clip's picture; a chain is followed a bounded number of
    // steps so that clips naming each other end.
    for (int32_t step = 0; step < 8; ++step) {
        const Lwo2Clip* found = nullptr;
        for (const Lwo2Clip& clip : model.clips) {
            if (clip.index == index) {
                found = &clip;
                break;
            }
        }
        if (found == nullptr || found->reference < 0) {
            return found;
        }
        index = static_cast<uint32_t>(found->reference);
    }
    return nullptr;
}

// The text after the last separator.
const char* baseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\' || *p == ':') {
            base = p + 1;
        }
    }
    return base;
}

bool isAbsolute(const char* path) {
    return path[0] == '/' || path[0] == '\\' || std::strchr(path, ':') != nullptr;
}

// 64-bit FNV-1a: a short stand-in for a key too long for a texture slot.
uint64_t hashOf(const char* text) {
    uint64_t hash = 14695981039346656037ull;
    for (; *text != '\0'; ++text) {
        hash = (hash ^ static_cast<unsigned char>(*text)) * 1099511628211ull;
    }
    return hash;
}

uint8_t toByte(float fraction) {
    const float scaled = fraction * 255.0f + 0.5f;
    return scaled <= 0.0f ? 0 : (scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled));
}

bool hasTransparentPixels(const RgbaImage& image) {
    const size_t pixels = static_cast<size_t>(image.width) * image.height;
    for (size_t p = 0; p < pixels; ++p) {
        if (image.pixels[p * 4 + 3] != 255) {
            return true;
        }
    }
    return false;
}

bool isGrey(const RgbaImage& image) {
    const size_t pixels = static_cast<size_t>(image.width) * image.height;
    for (size_t p = 0; p < pixels; ++p) {
        const uint8_t* c = image.pixels.get() + p * 4;
        if (c[0] != c[1] || c[1] != c[2]) {
            return false;
        }
    }
    return true;
}

// The picture as the renderer should show it: inverted, blended over `base` by
// opacity and alpha (when `blend`), and mirrored into a double-size image.
bool bake(const RgbaImage& picture, const Lwo2ImageMap& map, bool blend, const uint8_t base[3],
          bool mirrorWidth, bool mirrorHeight, RgbaImage& out) {
    const int32_t w = picture.width, h = picture.height;
    if (!out.allocate(mirrorWidth ? w * 2 : w, mirrorHeight ? h * 2 : h)) {
        return false;
    }
    float opacity = map.opacity < 0.0f ? 0.0f : (map.opacity > 1.0f ? 1.0f : map.opacity);
    opacity = opacity == opacity ? opacity : 1.0f; // NaN: opaque
    for (int32_t y = 0; y < out.height; ++y) {
        const int32_t sy = y < h ? y : 2 * h - 1 - y;
        for (int32_t x = 0; x < out.width; ++x) {
            const int32_t sx = x < w ? x : 2 * w - 1 - x;
            const uint8_t* in = picture.at(sx, sy);
            uint8_t* o = out.at(x, y);
            for (int c = 0; c < 3; ++c) {
                const int32_t value = map.negative ? 255 - in[c] : in[c];
                if (blend) {
                    const float weight = opacity * static_cast<float>(in[3]) / 255.0f;
                    o[c] =
                        static_cast<uint8_t>(static_cast<float>(base[c]) +
                                             static_cast<float>(value - base[c]) * weight + 0.5f);
                } else {
                    o[c] = static_cast<uint8_t>(value);
                }
            }
            o[3] = 255;
        }
    }
    return true;
}

// The table key of a picture made into a texture: its host path and how it was baked
// (`base`: the colour it was blended over, nullptr when drawn as it is). Keys too long
// for a slot are shortened to a hash of the whole and the file's name.
void textureKey(const char* hostPath, const Lwo2ImageMap& map, bool mirrorWidth, bool mirrorHeight,
                const uint8_t* base, char (&key)[kTexturePathSize]) {
    char variant[96];
    int used = std::snprintf(variant, sizeof variant, "%s%s%s", mirrorWidth ? " mirror-u" : "",
                             mirrorHeight ? " mirror-v" : "", map.negative ? " negative" : "");
    if (base != nullptr && used >= 0 && static_cast<size_t>(used) < sizeof variant) {
        std::snprintf(variant + used, sizeof variant - static_cast<size_t>(used),
                      " over %02x%02x%02x at %g", base[0], base[1], base[2],
                      static_cast<double>(map.opacity));
    }
    std::string full = std::string("picture ") + hostPath + variant;
    if (full.size() < sizeof key) {
        std::snprintf(key, sizeof key, "%s", full.c_str());
    } else {
        std::snprintf(key, sizeof key, "picture #%016llx %s",
                      static_cast<unsigned long long>(hashOf(full.c_str())), baseName(hostPath));
    }
}

} // namespace

void clipPathCandidates(const char* clipPath, const char* objectPath, char (*candidates)[1024],
                        int32_t& count) {
    count = 0;
    char directory[kPathSize] = {};
    const char* objectBase = baseName(objectPath);
    const size_t directoryLength = static_cast<size_t>(objectBase - objectPath);
    std::snprintf(directory, sizeof directory, "%.*s", static_cast<int>(directoryLength),
                  objectPath);
    const char* base = baseName(clipPath);
    auto add = [&](const char* first, const char* second, const char* third) {
        const int written =
            std::snprintf(candidates[count], kPathSize, "%s%s%s", first, second, third);
        if (written > 0 && static_cast<size_t>(written) < kPathSize && count < kMaxCandidates) {
            ++count;
        }
    };
    add(clipPath, "", "");
    if (!isAbsolute(clipPath) && directory[0] != '\0') {
        add(directory, clipPath, "");
    }
    add(directory, base, "");
    add("images\\", base, "");
    add(directory, "images\\", base);
    add(directory, "..\\images\\", base);
}

int32_t loadClipTexture(TextureTable& textures, const Lwo2Model& model, const Lwo2SurfaceLook& look,
                        const char* objectPath, ClipTexture& texture) {
    const Lwo2ImageMap& map = look.image;
    const Lwo2Clip* clip = map.hasClip ? findClip(model, map.clip) : nullptr;
    if (clip == nullptr || clip->path.empty()) {
        return 0;
    }
    char candidates[kMaxCandidates][kPathSize];
    int32_t candidateCount = 0;
    clipPathCandidates(clip->path.c_str(), objectPath, candidates, candidateCount);
    char hostPath[4096] = {};
    bool found = false;
    for (int32_t i = 0; i < candidateCount && !found; ++i) {
        found = resolveContentPath(candidates[i], hostPath, sizeof hostPath) == 1;
    }
    if (!found) {
        appendToErrorLog("UNABLE TO FIND IMAGE ", clip->path.c_str());
        return 0;
    }

    const bool mirrorWidth = map.wrapWidth == Lwo2Wrap::Mirror;
    const bool mirrorHeight = map.wrapHeight == Lwo2Wrap::Mirror;
    uint8_t base[3];
    for (int c = 0; c < 3; ++c) {
        base[c] = toByte(look.color[c]);
    }
    // A picture blended over the surface colour is kept per colour; one drawn as it is
    // (fully opaque) serves every surface that uses it the same way.
    char blended[kTexturePathSize], plain[kTexturePathSize];
    textureKey(hostPath, map, mirrorWidth, mirrorHeight, base, blended);
    textureKey(hostPath, map, mirrorWidth, mirrorHeight, nullptr, plain);
    int32_t index = textures.findTexture(blended);
    if (index == kNoTexture && map.opacity >= 1.0f) {
        index = textures.findTexture(plain);
    }
    int32_t width = 0, height = 0;
    if (index == kNoTexture) {
        RgbaImage picture;
        char message[256] = {};
        if (readPictureFile(hostPath, picture, message, sizeof message) == 0) {
            appendToErrorLog("UNABLE TO READ IMAGE ", hostPath,
                             (std::string(": ") + message).c_str());
            return 0;
        }
        const bool blend = !(map.opacity >= 1.0f) || hasTransparentPixels(picture);
        RgbaImage baked;
        if (!bake(picture, map, blend, base, mirrorWidth, mirrorHeight, baked)) {
            appendToErrorLog("UNABLE TO READ IMAGE ", hostPath, ": not enough memory");
            return 0;
        }
        TextureConversion conversion;
        conversion.format = isGrey(baked) ? GR_TEXFMT_INTENSITY_8 : GR_TEXFMT_RGB_565;
        conversion.mipMaps = true;
        ThreeDfTexture converted;
        if (convertImageToThreeDf(baked, conversion, converted, message, sizeof message) == 0) {
            appendToErrorLog("UNABLE TO READ IMAGE ", hostPath,
                             (std::string(": ") + message).c_str());
            return 0;
        }
        const char* key = blend ? blended : plain;
        index = textures.addTexture(key, converted.info, std::move(converted.texels));
        if (index == kNoTexture) {
            return 0;
        }
    }
    const GrTexInfo& info = textures.slots[index].info;
    levelDimensions(info.largeLod, info.aspectRatio, width, height);
    const float longSide = static_cast<float>(width > height ? width : height);
    texture.index = index;
    texture.uScale = 256.0f * static_cast<float>(width) / longSide * (mirrorWidth ? 0.5f : 1.0f);
    texture.vScale = 256.0f * static_cast<float>(height) / longSide * (mirrorHeight ? 0.5f : 1.0f);
    return 1;
}
