// MeshExport: a loaded object (any form the readers take: LWO2 layers, LWOB polygons) as
// the all-triangle LWOB file and texture-coordinate file that the player reads back into
// the same mesh.
//
// Usage:
//   ExportedMesh out = exportMesh(object.mesh, textureNames);  // throws ToolError
//   ... write out.lwob as objects\NAME.lwo and out.textureCoordinates as objects\NAME.txc
//
// What is written: the points as they are (positions only: the player derives normals,
// surface copies and the bounding box again), one POLS
// triangle per mesh triangle with its surface, the surface names (made distinct where
// they were not), and per surface COLR (colour bytes, as the player reads them: byte /
// 256), FLAG (smoothing, double-sided, additive), LUMI, TRAN, REFL, and for a textured
// surface CTEX and TIMG naming its texture; every corner's texture coordinates go into
// the .txc file, so no projection has to be worked out again.
//
// What it cannot keep: colours and fractions finer than 1/256, and objects of more than
// 65536 points (LWOB indices are 16 bits): those are refused. Normals: the player
// smooths each point over all the triangles that share it, so where an LWO2 smoothing
// angle gave the corners at a point normals of their own groups of faces, the converted
// object is shaded a little otherwise there.
//
// The textures the surfaces show are written beside as 3DF files, named after their
// pictures:
//   exportTextures(mesh, table, "out/textures", taken, textureNames);  // before exportMesh
// and meshDifference(loaded, readBack) says what the player's reading of the files lost.
#pragma once

#include <filesystem>
#include <set>
#include <string>

struct Mesh;
struct TextureTable;

struct ExportedMesh {
    std::string lwob;
    std::string textureCoordinates; // six little-endian floats per triangle
};

// textureNames[0 .. kTextureSlotCount): the name under which texture i of the table is
// written ("wood" for textures\wood.3df); empty for a texture that is not written.
ExportedMesh exportMesh(const Mesh& mesh, const std::string* textureNames);

// Writes each texture of `table` that a surface of `mesh` shows and that has no name yet
// as folder/NAME.3df (whole or not at all): NAME is its picture's file name made plain
// (plainName) and distinct from the names in `taken` (lower case, without ".3df"; the new
// name joins them), so no file is replaced when `taken` holds the folder's files.
// textureNames[i] receives the name of slot i. A picture that did not load is skipped:
// its surfaces are drawn untextured either way.
void exportTextures(const Mesh& mesh, const TextureTable& table,
                    const std::filesystem::path& folder, std::set<std::string>& taken,
                    std::string* textureNames);

// The lower-case names, without extension, of the files in `folder` (none if it is
// missing): the names exportTextures must not take.
std::set<std::string> namesInFolder(const std::filesystem::path& folder);

// What differs between a loaded mesh and the player's reading of its exported files
// (positions and texture coordinates exactly, colours within rounding; not normals, see
// above); "" when nothing does.
std::string meshDifference(const Mesh& loaded, const Mesh& readBack);

// A file name that is the same on every file system and that no reader takes for
// anything else: the letters, digits, '-' and '_' of `text`, others as '_'; `fallback`
// when empty.
std::string plainName(const std::string& text, const char* fallback);

// Writes `bytes` as the file at `path` (ToolError when it cannot), for folders that are
// written under a temporary name as a whole.
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The file name of a content or host path, without its directories and extensions.
std::string fileStem(const std::string& path);

// `base`, or base-2, base-3 ...: the first whose lower case is not in `taken` (then added).
std::string uniqueName(const std::string& base, std::set<std::string>& taken);
