// ember texture convert | export, ember inspect texture: making, viewing and inspecting
// 3DF textures with the same code the player and the demo generator use.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "content/PngFile.h"
#include "content/TextureConverter.h"
#include "ember/Commands.h"
#include "ember/InspectOutput.h"
#include "ember/OutputFile.h"

namespace {

const char* const kFormatNames[] = {"rgb332",   "yiq",      "a8",       "i8",     "ai44",
                                    "p8",       "argb8332", "ayiq8422", "rgb565", "argb1555",
                                    "argb4444", "ai88",     "ap88"};

std::string formatList() {
    std::string list;
    for (const char* name : kFormatNames) {
        list += list.empty() ? "" : ", ";
        list += name;
    }
    return list;
}

ThreeDfTexture loadTexture(const std::string& path) {
    ThreeDfTexture texture;
    char message[256];
    if (!loadThreeDfTexture(path.c_str(), texture, message, sizeof(message))) {
        throw ToolError(path + ": " + message);
    }
    return texture;
}

void convert(const std::string& input, const std::string& output, const std::string& formatName,
             bool mipMaps) {
    TextureConversion conversion;
    conversion.format = threeDfFormatOfName(formatName.c_str());
    conversion.mipMaps = mipMaps;
    if (conversion.format < 0) {
        throw ToolError("unknown format '" + formatName + "' (formats: " + formatList() + ")");
    }
    RgbaImage image;
    char message[256];
    if (!readPngFile(input.c_str(), image, message, sizeof(message))) {
        throw ToolError(input + ": " + message);
    }
    ThreeDfTexture texture;
    if (!convertImageToThreeDf(image, conversion, texture, message, sizeof(message))) {
        throw ToolError(input + ": " + message);
    }
    OutputFile file(output);
    if (!write3dfFile(file.temporaryPath().c_str(), texture.info)) {
        throw ToolError(output + ": cannot write the 3DF file");
    }
    file.commit();
}

void exportLevel(const std::string& input, const std::string& output, int level) {
    const ThreeDfTexture texture = loadTexture(input);
    RgbaImage image;
    char message[256];
    if (!decodeThreeDfLevel(texture, level, image, message, sizeof(message))) {
        throw ToolError(input + ": " + message);
    }
    OutputFile file(output);
    if (!writePngFile(file.temporaryPath().c_str(), image, message, sizeof(message))) {
        throw ToolError(output + ": " + message);
    }
    file.commit();
}

const char* aspectName(GrAspectRatio_t aspect) {
    static const char* const kNames[] = {"8:1", "4:1", "2:1", "1:1", "1:2", "1:4", "1:8"};
    return isValidAspectRatio(aspect) ? kNames[aspect] : "?";
}

void inspect(const std::string& path, bool json) {
    const ThreeDfTexture texture = loadTexture(path);
    const Gu3dfInfo& info = texture.info;
    const Gu3dfHeader& h = info.header;
    const GrTextureFormat_t format = h.format;
    const bool ncc = format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422;
    const bool palette = format == GR_TEXFMT_P_8 || format == GR_TEXFMT_AP_88;
    InspectJson out{{"file", path},
                    {"header",
                     {{"width", h.width},
                      {"height", h.height},
                      {"smallLod", h.small_lod},
                      {"largeLod", h.large_lod},
                      {"aspectRatio", h.aspect_ratio},
                      {"format", h.format}}},
                    {"formatName", threeDfFormatName(format)},
                    {"aspect", aspectName(h.aspect_ratio)},
                    {"largeSide", lodLongSide(h.large_lod)},
                    {"smallSide", lodLongSide(h.small_lod)},
                    {"levelCount", threeDfLevelCount(info)},
                    {"memRequired", info.mem_required}};
    if (ncc) {
        const GuNccTable& t = info.table.nccTable;
        InspectJson i = InspectJson::array();
        InspectJson q = InspectJson::array();
        for (int k = 0; k < 4; ++k) {
            i.push_back(std::vector<int>(t.iRGB[k], t.iRGB[k] + 3));
            q.push_back(std::vector<int>(t.qRGB[k], t.qRGB[k] + 3));
        }
        out["table"]["nccTable"] = {
            {"yRGB", std::vector<int>(t.yRGB, t.yRGB + 16)}, {"iRGB", i}, {"qRGB", q}};
    } else if (palette) {
        out["table"]["palette"]["data"] =
            std::vector<uint32_t>(info.table.palette.data, info.table.palette.data + 256);
    }
    std::string text;
    if (json) {
        text = out.dump(2) + "\n";
    } else {
        if (ncc || palette) { // the table's numbers are for --json
            out["table"] = ncc ? "NCC table" : "palette of 256 colours";
        }
        appendTreeText(out, "", text);
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

void addTextureCommands(CLI::App& app, CLI::App& inspectCommand) {
    CLI::App* texture =
        app.add_subcommand("texture", "Make 3DF textures from PNG images and view them as PNG");
    texture->require_subcommand(1);

    struct ConvertArguments {
        std::string input, output, format;
        bool mipMaps = false;
    };
    auto convertArguments = std::make_shared<ConvertArguments>();
    CLI::App* convertCommand = texture->add_subcommand(
        "convert",
        "Convert a PNG image to a 3DF texture.\n"
        "Textures have power-of-two sides of at most 256 texels and an aspect ratio between 8:1 "
        "and 1:8: any other image is resampled to the nearest such size (each side to the "
        "nearest power of two, at most 256; the shorter side raised if the ratio would pass "
        "8:1). Palette formats get a palette made for the image (median cut and k-means), YIQ "
        "formats an NCC table fitted to its colours.");
    convertCommand->add_option("input", convertArguments->input, "PNG image to read")->required();
    convertCommand->add_option("output", convertArguments->output, "3DF file to write")->required();
    convertCommand
        ->add_option("--format,-f", convertArguments->format, "texel format: " + formatList())
        ->required();
    convertCommand->add_flag("--mipmaps,-m", convertArguments->mipMaps,
                             "add box-filtered mip-map levels down to one texel");
    convertCommand->callback([convertArguments]() {
        convert(convertArguments->input, convertArguments->output, convertArguments->format,
                convertArguments->mipMaps);
    });

    struct ExportArguments {
        std::string input, output;
        int level = 0;
    };
    auto exportArguments = std::make_shared<ExportArguments>();
    CLI::App* exportCommand = texture->add_subcommand(
        "export", "Decode one level of a 3DF texture, as the accelerator does, to a PNG image");
    exportCommand->add_option("input", exportArguments->input, "3DF file to read")->required();
    exportCommand->add_option("output", exportArguments->output, "PNG file to write")->required();
    exportCommand->add_option("--level,-l", exportArguments->level,
                              "mip-map level, 0 = the largest (default 0)");
    exportCommand->callback([exportArguments]() {
        exportLevel(exportArguments->input, exportArguments->output, exportArguments->level);
    });

    struct InspectArguments {
        std::string file;
        bool json = false;
    };
    auto inspectArguments = std::make_shared<InspectArguments>();
    CLI::App* inspectTexture = inspectCommand.add_subcommand(
        "texture", "Read a 3DF texture with the player's reader and print its header");
    inspectTexture->add_option("file", inspectArguments->file, "3DF file")->required();
    inspectTexture->add_flag("--json", inspectArguments->json,
                             "print JSON with the record's field names as keys");
    inspectTexture->callback(
        [inspectArguments]() { inspect(inspectArguments->file, inspectArguments->json); });
}
