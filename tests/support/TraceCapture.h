// Records the accelerator calls a test makes: a TraceDevice is current for the
// capture's lifetime; lines() and calls("grDrawTriangle") hand back what it recorded.
// vertexText() writes a GrVertex as the tracer does, so expected triangles can be
// stated as hand-computed numbers.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "accel/Device.h"
#include "accel/TraceDevice.h"

class TraceCapture {
public:
    TraceCapture() { setAcceleratorDevice(&device_); }
    ~TraceCapture() { setAcceleratorDevice(nullptr); }

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(device_.text());
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        return result;
    }
    // The lines of one operation, e.g. "grDrawTriangle".
    std::vector<std::string> calls(const std::string& operation) const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            if (line.rfind(operation + "(", 0) == 0) {
                result.push_back(line);
            }
        }
        return result;
    }
    const std::string& text() const { return device_.text(); }
    void clear() { device_.clear(); }

private:
    TraceDevice device_;
};

struct VertexValues {
    float x, y, z, r, g, b, a, ooz, oow, sow, tow;
};

inline std::string vertexText(const VertexValues& v) {
    const float fields[] = {v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.ooz, v.oow, v.sow, v.tow, v.oow};
    const char* names[] = {"{x=", " y=",   " z=",   " r=",   " g=",   " b=",
                           " a=", " ooz=", " oow=", " sow=", " tow=", " tmuoow="};
    std::string text;
    for (int i = 0; i < 12; ++i) {
        text += names[i] + traceFloat(fields[i]);
    }
    return text + "}";
}

// "operation({a}, {b}, {c})"
inline std::string triangleText(const char* operation, const VertexValues& a, const VertexValues& b,
                                const VertexValues& c) {
    return std::string(operation) + "(" + vertexText(a) + ", " + vertexText(b) + ", " +
           vertexText(c) + ")";
}
