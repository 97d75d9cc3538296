// MeshExport: a loaded object (any form the readers take: LWO2 layers, LWOB polygons) as
// the all-triangle LWOB file and texture-coordinate file that the player reads back into
// the same mesh.
//
// Usage:
//   ExportedMesh out = exportMesh(object.mesh, textureNames);  // throws ToolError
//   ... write out.lwob as objects\NAME.lwo and out.textureCoordinates as objects\NAME.txc
//
// What is written: the points as they are (positions only: the player derives normals,
// surface copies and the bounding box again and arrives where the mesh is), one POLS
// triangle per mesh triangle with its surface, the surface names (made distinct where
// they were not), and per surface COLR (colour bytes, as the player reads them: byte /
// 256), FLAG (smoothing, double-sided, additive), LUMI, TRAN, REFL, and for a textured
// surface CTEX and TIMG naming its texture; every corner's texture coordinates go into
// the .txc file, so no projection has to be worked out again.
//
// What it cannot keep: colours and fractions finer than 1/256, and objects of more than
// 65536 points (LWOB indices are 16 bits): those are refused.
#pragma once

#include <string>

struct Mesh;

struct ExportedMesh {
    std::string lwob;
    std::string textureCoordinates; // six little-endian floats per triangle
};

// textureNames[0 .. kTextureSlotCount): the name under which texture i of the scene's table is
// written
// ("wood" for textures\wood.3df); empty for a texture that is not written.
ExportedMesh exportMesh(const Mesh& mesh, const std::string* textureNames);
