#include "FuzzContent.h"

#include <cstring>
#include <filesystem>

#include "FuzzWorkspace.h"
#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "writers/LwobWriter.h"

bool writePatternedTexture(const char* path, GrTextureFormat_t format, GrLOD_t large, GrLOD_t small,
                           GrAspectRatio_t aspect) {
    Gu3dfInfo info;
    info.header.format = format;
    info.header.large_lod = large;
    info.header.small_lod = small;
    info.header.aspect_ratio = aspect;
    GrTexInfo texInfo;
    texInfo.largeLod = large;
    texInfo.smallLod = small;
    texInfo.aspectRatio = aspect;
    texInfo.format = format;
    std::vector<uint8_t> texels(textureTexelBytes(texInfo));
    for (size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    // The table the format has (NCC and palette share the record).
    if (format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422) {
        // A decodable NCC table.
        for (int i = 0; i < 16; ++i) {
            info.table.nccTable.yRGB[i] = static_cast<FxU8>(i * 17);
        }
        for (int i = 0; i < 4; ++i) {
            for (int c = 0; c < 3; ++c) {
                info.table.nccTable.iRGB[i][c] = static_cast<int16_t>((i - 2) * 20 + c);
                info.table.nccTable.qRGB[i][c] = static_cast<int16_t>((2 - i) * 15 - c);
            }
        }
    } else {
        for (uint32_t i = 0; i < 256; ++i) {
            info.table.palette.data[i] = i << 16 | (255 - i) << 8 | (i * 3 & 0xFF);
        }
    }
    info.data = texels.data();
    info.mem_required = static_cast<FxU32>(texels.size());
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return write3dfFile(path, info) == FXTRUE;
}

std::string cubeObject() {
    LwobWriter lwob;
    lwob.points({{-1, -1, -1},
                 {1, -1, -1},
                 {1, 1, -1},
                 {-1, 1, -1},
                 {-1, -1, 1},
                 {1, -1, 1},
                 {1, 1, 1},
                 {-1, 1, 1}})
        .surfaceNames({"Wood", "Sky", "Glass", "Mirror", "Glow", "Ball"})
        .triangles({{0, 1, 2, 1},
                    {0, 2, 3, 1},
                    {4, 6, 5, 2},
                    {4, 7, 6, 2},
                    {0, 4, 5, 3},
                    {0, 5, 1, 3},
                    {3, 2, 6, 4},
                    {3, 6, 7, 4},
                    {0, 3, 7, 5},
                    {0, 7, 4, 5},
                    {1, 5, 6, 6},
                    {1, 6, 2, 6}})
        .surface("Wood", LwobSurface()
                             .color(200, 120, 40)
                             .flags(0x104)
                             .smoothingAngle(1.0f)
                             .texture("CTEX", "Planar Image Map")
                             .textureImage("C:\\images\\Wood.iff")
                             .textureFlags(4)
                             .textureSize(2, 2, 2)
                             .textureCenter(0, 0, 0))
        .surface("Sky", LwobSurface()
                            .color(90, 140, 255)
                            .texture("CTEX", "Cylindrical Image Map")
                            .textureImage("sky.tga")
                            .textureFlags(2)
                            .textureSize(2, 2, 2)
                            .wrapWidth(2.0f)
                            .wrapHeight(1.0f)
                            .texture("BTEX", "Planar Image Map")
                            .textureImage("bump.iff"))
        .surface("Glass", LwobSurface()
                              .color(255, 255, 255)
                              .transparency(128)
                              .texture("CTEX", "Spherical Image Map")
                              .textureImage("glass.iff"))
        .surface("Mirror", LwobSurface().reflection(200).reflectionImage("sky.iff").flags(0x100))
        .surface("Glow", LwobSurface().color(255, 200, 0).flags(0x201).luminosity(256))
        .surface("Ball", LwobSurface()
                             .texture("DTEX", "Planar Image Map")
                             .textureFlags(8)
                             .texture("CTEX", "Planar Image Map")
                             .textureFlags(1)
                             .textureImage("wood.old.iff"));
    return lwob.bytes();
}

std::string triangleObject() {
    LwobWriter lwob;
    lwob.points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})
        .surfaceNames({"Plain"})
        .triangles({{0, 1, 2, 1}})
        .surface("Plain", LwobSurface().color(128, 128, 128));
    return lwob.bytes();
}

std::string waveObject(int32_t shape) {
    std::vector<std::array<float, 3>> points;
    for (int i = 0; i < 4; ++i) {
        const float x = static_cast<float>(i);
        const float bend = shape == 0 ? 0.0f : (shape == 1 ? x * x * 0.25f : -x * 0.5f);
        points.push_back({x, 0.0f, bend});
        points.push_back({x, 1.0f, bend + 0.25f * static_cast<float>(shape)});
    }
    std::vector<std::array<uint16_t, 4>> triangles;
    for (uint16_t i = 0; i < 3; ++i) {
        const auto a = static_cast<uint16_t>(2 * i);
        triangles.push_back({a, static_cast<uint16_t>(a + 2), static_cast<uint16_t>(a + 1), 1});
        triangles.push_back({static_cast<uint16_t>(a + 1), static_cast<uint16_t>(a + 2),
                             static_cast<uint16_t>(a + 3), 2});
    }
    LwobWriter lwob;
    lwob.points(points)
        .surfaceNames({"Front", "Back"})
        .triangles(triangles)
        .surface("Front", LwobSurface().color(255, 64, 64).flags(0x104))
        .surface("Back", LwobSurface()
                             .color(64, 64, 255)
                             .texture("CTEX", "Planar Image Map")
                             .textureImage("wood")
                             .textureFlags(2)
                             .textureSize(4, 1, 1));
    return lwob.bytes();
}

std::string textureCoordinates(int32_t triangles) {
    std::string bytes;
    for (int32_t t = 0; t < triangles; ++t) {
        const float uv[6] = {0.0f, 0.0f, 256.0f, 0.0f, 0.0f, 256.0f};
        for (float value : uv) {
            uint32_t bits;
            std::memcpy(&bits, &value, 4);
            for (int b = 0; b < 4; ++b) {
                bytes.push_back(static_cast<char>(bits >> (8 * b) & 0xFF));
            }
        }
    }
    return bytes;
}

int32_t writeSceneContent() {
    const bool ok = writeWorkspaceFile("objects/cube.lwo", cubeObject()) == 1 &&
                    writeWorkspaceFile("objects/tri.lwo", triangleObject()) == 1 &&
                    writeWorkspaceFile("objects/tri.txc", textureCoordinates(1)) == 1 &&
                    writeWorkspaceFile("objects/wave0.lwo", waveObject(0)) == 1 &&
                    writeWorkspaceFile("objects/wave1.lwo", waveObject(1)) == 1 &&
                    writeWorkspaceFile("objects/wave2.lwo", waveObject(2)) == 1 &&
                    writePatternedTexture("textures/wood.3df", GR_TEXFMT_RGB_565, GR_LOD_8,
                                          GR_LOD_1, GR_ASPECT_1x1) &&
                    writePatternedTexture("textures/sky.3df", GR_TEXFMT_YIQ_422, GR_LOD_16,
                                          GR_LOD_1, GR_ASPECT_2x1) &&
                    writePatternedTexture("textures/glass.3df", GR_TEXFMT_AP_88, GR_LOD_4, GR_LOD_4,
                                          GR_ASPECT_1x1) &&
                    writePatternedTexture("textures/flare.3df", GR_TEXFMT_INTENSITY_8, GR_LOD_16,
                                          GR_LOD_16, GR_ASPECT_1x1) &&
                    writePatternedTexture("textures/fire.3df", GR_TEXFMT_ARGB_4444, GR_LOD_8,
                                          GR_LOD_2, GR_ASPECT_1x1);
    return ok ? 1 : 0;
}

std::vector<std::string> exampleScenes() {
    const std::string motion2 = " (unnamed)\n  9\n  2\n"
                                "  0 0 5 0 0 0 1 1 1\n  0 0 0 0 0\n"
                                "  1 2 8 45 10 5 1 1 1\n  60 0 0.5 -0.5 0.2\n";
    const std::string placed = " (unnamed)\n  9\n  1\n  0 1 6 0 0 0 1 1 1\n  0 0 0 0 0\n";
    const std::string envelope = " (envelope)\n  1\n  3\n  0\n  0 0 0 0 0\n  1\n  30 1 0 0 0\n"
                                 "  0.25\n  60 0 1 0 0\n";
    std::vector<std::string> scenes;
    // Objects, motions, dissolve, lights of every kind, camera.
    scenes.push_back(
        "LWSC\n1\n\nFirstFrame 1\nLastFrame 60\nFrameStep 1\nFramesPerSecond 30\n\n"
        "LoadObject objects\\cube.lwo\nObjectMotion" +
        motion2 + "ObjDissolve" + envelope + "\nLoadObject tri.lwo\nObjectMotion" + placed +
        "ObjDissolve 0.5\n\nAmbientColor 255 255 255\nAmbIntensity 0.25\n\n"
        "AddLight\nLightName Light\nLightMotion" +
        motion2 +
        "LightColor 255 240 200\nLgtIntensity 1.0\nLightType 1\nLensFlare 1\n"
        "FlareIntensity" +
        envelope + "LightRange 20\n\nAddLight\nLightMotion" + placed +
        "LightColor 50 60 255\nLgtIntensity" + envelope + "LightType 0\nLightRange" + envelope +
        "\nShowCamera 1 0\nCameraMotion" + motion2 + "ZoomFactor 3.2\nTargetObject 1\n");
    // A morph chain of three, a null object, a cubic and a straight blend.
    scenes.push_back("LWSC\n1\nLastFrame 30\nFramesPerSecond 25\n"
                     "LoadObject objects\\wave0.lwo\nObjectMotion" +
                     placed + "Metamorph" + envelope +
                     "MorphTarget 2\nMTSEMorphing 0\n"
                     "LoadObject objects\\wave1.lwo\nMetamorph 0\nMorphTarget 3\n"
                     "LoadObject objects\\wave2.lwo\n"
                     "AddNullObject Null\nObjDissolve 0.1\n"
                     "LoadObject objects\\wave0.lwo\nMetamorph 0.5\nMorphTarget 6\nMTSEMorphing 1\n"
                     "LoadObject objects\\cube.lwo\n"
                     "LoadObject objects\\wave2.lwo\n"
                     "AddLight Sun\nLightColor 255 255 255\nLightType 0\n"
                     "ShowCamera\nCameraMotion" +
                     placed);
    // Fires: both modes, a texture, motions, colours and fades.
    scenes.push_back("LWSC\n1\nLastFrame 90\nFramesPerSecond 30\n"
                     "LoadObject objects\\tri.lwo\n"
                     "AddFire 40 1.5 3.0\nFireMode 0\nFireStartFrame 0\nFireEndFrame 80\n"
                     "FireFadeTime 20\nFireColor 255 200 50\nFireColFade 5 3 1\n"
                     "FireTexture fire.tga\nFireMotion" +
                     motion2 +
                     "AddFire 10 0.5 0.5\nFireMode 1\nFireParts 25\nFireWidth 2\nFireHeight 4\n"
                     "FireMotion" +
                     placed +
                     "AddLight\nLightColor 255 128 0\nLightType 1\nLightRange 10\n"
                     "ShowCamera\nCameraMotion" +
                     placed + "ZoomFactor 2\n");
    // The smallest scene.
    scenes.push_back("LWSC\n1\n");
    return scenes;
}

namespace {

std::string laterEnvelope(const std::string& keys, const char* behaviors) {
    int count = 0;
    for (size_t at = keys.find("Key"); at != std::string::npos; at = keys.find("Key", at + 1)) {
        ++count;
    }
    return "{ Envelope\n  " + std::to_string(count) + "\n" + keys + "  Behaviors " + behaviors +
           "\n}\n";
}

} // namespace

std::vector<std::string> exampleLaterScenes() {
    // Every key shape (0 TCB .. 5 Bezier 2D) on one channel, every behaviour on others.
    const std::string shapes = "  Key 0 0 0 0.5 -0.2 0.1 0 0 0\n  Key 1 0.5 1 0 0 0 2 -1 0\n"
                               "  Key -1 1 2 0 0 0 1 1 0\n  Key 2 1.5 3 0 0 0 0 0 0\n"
                               "  Key 0.5 2 4 0 0 0 0 0 0\n  Key 1 3 5 -0.3 0.2 0.3 0.4 0 0\n";
    const std::string twoKeys = "  Key 0 0.2 0 0 0 0 0 0 0\n  Key 0.7 1.2 0 0 0 0 0 0 0\n";
    std::string motion = "ObjectMotion\nNumChannels 9\nChannel 0\n" + laterEnvelope(shapes, "1 1");
    const char* behaviors[] = {"0 5", "2 3", "4 1", "5 2", "3 0"};
    for (int c = 1; c <= 5; ++c) {
        motion += "Channel " + std::to_string(c) + "\n" + laterEnvelope(twoKeys, behaviors[c - 1]);
    }
    std::vector<std::string> scenes;
    scenes.push_back(
        "LWSC\n5\n\nFirstFrame -5\nLastFrame 40\nFramesPerSecond 25\n"
        "LoadObjectLayer 1 10000000 objects\\cube.lwo\n" +
        motion + "ParentItem 10000002\nPivotPosition 0.5 0 -0.5\nObjectDissolve (envelope)\n" +
        laterEnvelope(twoKeys, "1 1") +
        "Plugin ItemMotionHandler 1 Foo\nParentItem 10000000\nEndPlugin\n"
        "{ APS\n  { VParm\n    0\n  }\n}\n"
        "LoadObject objects\\tri.lwo\nParentItem 10000000\nTargetItem 30000000\n"
        "AddNullObject 10000002 Handle Of Things\n" +
        motion + "AmbientColor 1 0.5 1\nAmbientIntensity (envelope)\n" +
        laterEnvelope(twoKeys, "2 2") + "AddLight 20000000\nLightName Sun\n" + motion +
        "LightColor 1 0.9 0.8\nLightIntensity (envelope)\n" + laterEnvelope(twoKeys, "1 1") +
        "LightType 2\nLightFalloffType 1\nLightRange 9\nLensFlare 1\nFlareIntensity 0.5\n"
        "AddCamera 30000000\nCameraName Camera\nCameraMotion\nNumChannels 6\nChannel 2\n" +
        laterEnvelope("  Key -8 0 0 0 0 0 0 0 0\n", "1 1") +
        "TargetItem 10000001\nZoomFactor (envelope)\n" + laterEnvelope(twoKeys, "1 1"));
    // Version 2: per-channel key lines, degrees, 0..255 colours, old behaviours.
    scenes.push_back("LWSC\n2\n\nFirstFrame 1\nLastFrame 30\nFramesPerSecond 30\n"
                     "LoadObject objects\\cube.lwo\nObjectMotion (unnamed)\n  9\n"
                     "  2\n  0 0 2 0 0 0\n  3 1 2 0.5 0 0\n  0\n  0\n  1\n  45 0 2 0 0 0\n"
                     "  0\n  0\n  0\n  0\n  0\n"
                     "Pre/PostBehavior 0 2 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n"
                     "AddNullObject Pivot\nParentObject 1\n"
                     "AmbientColor 255 255 255\nAmbIntensity 0.1\n"
                     "AddLight\nLightMotion (unnamed)\n  9\n  0\n  0\n  0\n  1\n"
                     "  30 0 2 0 0 0\n  0\n  0\n  0\n  0\n  0\n"
                     "LightColor 255 128 0\nLgtIntensity (envelope)\n  1\n  2\n"
                     "  0 0 2 0 0 0\n  1 1 2 0 0 0\nLightType 1\n"
                     "AddCamera\nCameraMotion (unnamed)\n  6\n  0\n  0\n  1\n"
                     "  -5 0 2 0 0 0\n  0\n  0\n  0\nZoomFactor 3.2\n");
    // Version 3: whole objects, no ids.
    scenes.push_back("LWSC\n3\n\nLastFrame 10\nLoadObject objects\\wave0.lwo\n"
                     "LoadObjectLayer 1 objects\\wave1.lwo\nAddCamera\n");
    return scenes;
}
