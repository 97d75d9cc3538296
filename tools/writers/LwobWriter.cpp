#include "writers/LwobWriter.h"

#include <cstring>
#include <fstream>

namespace lwob {

std::string u16(uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string u32(uint32_t value) {
    return u16(static_cast<uint16_t>(value >> 16)) + u16(static_cast<uint16_t>(value & 0xFFFF));
}

std::string f32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return u32(bits);
}

std::string paddedText(const std::string& text) {
    std::string bytes = text;
    bytes.push_back('\0');
    if (bytes.size() % 2 == 1) {
        bytes.push_back('\0');
    }
    return bytes;
}

} // namespace lwob

LwobSurface& LwobSurface::subChunk(const std::string& tag, const std::string& data) {
    bytes_ += tag + lwob::u16(static_cast<uint16_t>(data.size())) + data;
    return *this;
}

LwobSurface& LwobSurface::raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
}

LwobSurface& LwobSurface::color(uint8_t r, uint8_t g, uint8_t b) {
    return subChunk("COLR",
                    {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b), '\0'});
}

LwobSurface& LwobSurface::flags(uint16_t value) {
    return subChunk("FLAG", lwob::u16(value));
}

LwobSurface& LwobSurface::luminosity(uint16_t value) {
    return subChunk("LUMI", lwob::u16(value));
}

LwobSurface& LwobSurface::transparency(uint16_t value) {
    return subChunk("TRAN", lwob::u16(value));
}

LwobSurface& LwobSurface::reflection(uint16_t value) {
    return subChunk("REFL", lwob::u16(value));
}

LwobSurface& LwobSurface::smoothingAngle(float radians) {
    return subChunk("SMAN", lwob::f32(radians));
}

LwobSurface& LwobSurface::texture(const std::string& tag, const std::string& kind) {
    return subChunk(tag, lwob::paddedText(kind));
}

LwobSurface& LwobSurface::textureImage(const std::string& name) {
    return subChunk("TIMG", lwob::paddedText(name));
}

LwobSurface& LwobSurface::textureFlags(uint16_t value) {
    return subChunk("TFLG", lwob::u16(value));
}

LwobSurface& LwobSurface::textureSize(float x, float y, float z) {
    return subChunk("TSIZ", lwob::f32(x) + lwob::f32(y) + lwob::f32(z));
}

LwobSurface& LwobSurface::textureCenter(float x, float y, float z) {
    return subChunk("TCTR", lwob::f32(x) + lwob::f32(y) + lwob::f32(z));
}

LwobSurface& LwobSurface::wrapWidth(float repeats) {
    return subChunk("TFP0", lwob::f32(repeats));
}

LwobSurface& LwobSurface::wrapHeight(float repeats) {
    return subChunk("TFP1", lwob::f32(repeats));
}

LwobSurface& LwobSurface::reflectionImage(const std::string& name) {
    return subChunk("RIMG", lwob::paddedText(name));
}

LwobWriter& LwobWriter::withoutHeader() {
    header_ = false;
    return *this;
}

LwobWriter& LwobWriter::points(const std::vector<std::array<float, 3>>& points) {
    std::string data;
    data.reserve(points.size() * 12);
    for (const auto& p : points) {
        data += lwob::f32(p[0]) + lwob::f32(p[1]) + lwob::f32(p[2]);
    }
    return chunk("PNTS", data);
}

LwobWriter& LwobWriter::polygons(const std::vector<LwobPolygon>& polygons) {
    std::string data;
    for (const LwobPolygon& polygon : polygons) {
        data += lwob::u16(static_cast<uint16_t>(polygon.points.size()));
        for (uint16_t point : polygon.points) {
            data += lwob::u16(point);
        }
        data += lwob::u16(polygon.surface);
    }
    return chunk("POLS", data);
}

LwobWriter& LwobWriter::triangles(const std::vector<std::array<uint16_t, 4>>& triangles) {
    std::string data;
    data.reserve(triangles.size() * 10);
    for (const auto& t : triangles) {
        data +=
            lwob::u16(3) + lwob::u16(t[0]) + lwob::u16(t[1]) + lwob::u16(t[2]) + lwob::u16(t[3]);
    }
    return chunk("POLS", data);
}

LwobWriter& LwobWriter::surfaceNames(const std::vector<std::string>& names) {
    std::string data;
    for (const std::string& name : names) {
        data += lwob::paddedText(name);
    }
    return chunk("SRFS", data);
}

LwobWriter& LwobWriter::surface(const std::string& name, const LwobSurface& s) {
    return chunk("SURF", lwob::paddedText(name) + s.bytes());
}

LwobWriter& LwobWriter::chunk(const std::string& tag, const std::string& data) {
    return chunkWithLength(tag, static_cast<uint32_t>(data.size()), data);
}

LwobWriter& LwobWriter::chunkWithLength(const std::string& tag, uint32_t length,
                                        const std::string& data) {
    body_ += tag + lwob::u32(length) + data;
    return *this;
}

LwobWriter& LwobWriter::raw(const std::string& bytes) {
    body_ += bytes;
    return *this;
}

std::string LwobWriter::bytes() const {
    if (!header_) {
        return body_;
    }
    return "FORM" + lwob::u32(static_cast<uint32_t>(body_.size() + 4)) + "LWOB" + body_;
}

bool LwobWriter::write(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    const std::string data = bytes();
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}
