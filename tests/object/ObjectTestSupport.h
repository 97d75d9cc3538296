// A working directory, a texture table, an object slot and a captured trace stream for
// tests of the object reader and mesh preparation.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/Diagnostics.h"
#include "player/SceneObject.h"
#include "support/ScratchDirectory.h"
#include "texture/TextureTable.h"
#include "writers/LwobWriter.h"

// An object of three points, no polygons, and `count` empty surface names.
inline std::string manyNames(int count) {
    std::vector<std::string> names(static_cast<size_t>(count), "");
    return LwobWriter()
        .points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .triangles({})
        .surfaceNames(names)
        .bytes();
}

class ObjectTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        trace_ = std::tmpfile();
        ASSERT_NE(trace_, nullptr);
        setLoaderTraceStream(trace_);
        clearLastRefusal();
        textures_ = std::make_unique<TextureTable>();
        object_ = std::make_unique<SceneObject>();
    }
    void TearDown() override {
        usePlayerDiagnostics();
        std::fclose(trace_);
        ScratchDirectoryTest::TearDown();
    }

    int32_t load(const LwobWriter& lwob, const std::string& path = "test.lwo") {
        writeFile(path, lwob.bytes());
        return object_->loadObject(*textures_, path.c_str());
    }
    // Everything traced since the last call.
    std::string takeTrace() {
        std::fflush(trace_);
        std::string text;
        std::rewind(trace_);
        for (int c; (c = std::fgetc(trace_)) != EOF;) {
            text.push_back(static_cast<char>(c));
        }
        std::fclose(trace_);
        trace_ = std::tmpfile();
        setLoaderTraceStream(trace_);
        return text;
    }
    std::string errorLog() { return fileExists("error.txt") ? readTextFile("error.txt") : ""; }
    // Why the last refused file was refused (standard error's line, never error.txt's).
    static std::string refusal() { return lastRefusal(); }

    // One triangle (0,0,0), (1,0,0), (0,1,0) of surface "A", with `surface` as its SURF.
    static LwobWriter oneTriangle(const LwobSurface& surface = LwobSurface()) {
        LwobWriter lwob;
        lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
            .surfaceNames({"A"})
            .triangles({{0, 1, 2, 1}})
            .surface("A", surface);
        return lwob;
    }

    Mesh& mesh() { return object_->mesh; }
    void expectEmptySlot() {
        EXPECT_EQ(mesh().pointCount, 0);
        EXPECT_EQ(mesh().polygonCount, 0);
        EXPECT_EQ(mesh().surfaceCount, 0);
        EXPECT_EQ(mesh().points, nullptr);
        EXPECT_EQ(mesh().polygons, nullptr);
        EXPECT_EQ(mesh().surfaces, nullptr);
        EXPECT_EQ(mesh().surfaceNames, nullptr);
    }

    FILE* trace_ = nullptr;
    std::unique_ptr<TextureTable> textures_;
    std::unique_ptr<SceneObject> object_;
};
