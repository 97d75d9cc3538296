// Records the accelerator calls a test makes: installs a TraceDevice for its lifetime
// and hands the recorded lines back, whole or filtered by operation name.
//
//   TraceCapture trace;
//   object.drawPolygons(...);
//   EXPECT_EQ(trace.calls("grDrawTriangle").size(), 2u);
//
// vertexText() writes a GrVertex the way the tracer does, so expected triangles can be
// stated as the hand-computed numbers they are.
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
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(device_.text());
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        return result;
    }

    // The lines of one operation, e.g. "grDrawTriangle" (matched up to the '(').
    std::vector<std::string> calls(const std::string& operation) const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            if (line.compare(0, operation.size() + 1, operation + "(") == 0) {
                result.push_back(line);
            }
        }
        return result;
    }

    void clear() { device_.clear(); }
    TraceDevice& device() { return device_; }

private:
    TraceDevice device_;
};

struct VertexValues {
    float x, y, z, r, g, b, a, ooz, oow, sow, tow;
};

inline std::string vertexText(const VertexValues& v) {
    return "{x=" + traceFloat(v.x) + " y=" + traceFloat(v.y) + " z=" + traceFloat(v.z) +
           " r=" + traceFloat(v.r) + " g=" + traceFloat(v.g) + " b=" + traceFloat(v.b) +
           " a=" + traceFloat(v.a) + " ooz=" + traceFloat(v.ooz) + " oow=" + traceFloat(v.oow) +
           " sow=" + traceFloat(v.sow) + " tow=" + traceFloat(v.tow) +
           " tmuoow=" + traceFloat(v.oow) + "}";
}

inline std::string triangleText(const char* operation, const VertexValues& a, const VertexValues& b,
                                const VertexValues& c) {
    return std::string(operation) + "(" + vertexText(a) + ", " + vertexText(b) + ", " +
           vertexText(c) + ")";
}
