// Lwo2Mesh: a parsed LWO2 model into an object slot's Mesh, ready to draw.
//
// What the renderer gets, and how it differs from a version-1 object's preparation:
//   - polygons of three or more corners (FACE, and the cages of PTCH/SUBD patches, drawn
//     as their polygons) cut into triangles by the triangulator, in file order; polygons
//     of one or two corners are not drawn;
//   - one Surface per surface tag that the drawn polygons use, in TAGS order (a polygon
//     without a tag gets "Default"), made by surfaceRecordOf (Lwo2Surface.h), its colour
//     image map loaded as a texture (ClipTexture.h);
//   - normals that honour the surface's smoothing angle: a corner's normal is the mean
//     of the normals of the polygons of its surface around its point that lie within
//     the angle of its own polygon (faceted when the angle is 0). Corners whose surface
//     and normal agree share one MeshPoint; points are thus split along sharp edges and
//     surface borders, and only points that a triangle uses appear;
//   - texture coordinates per corner, in texels of a 256-texel texture with v flipped
//     (image row 0 at the top): from the UV map (a polygon's VMAD entry before the
//     point's VMAP entry; unmapped points at 0, 0; the file's first UV map when the one
//     named is missing) or the projection (Lwo2Projection.h);
//     front projection is taken as a planar projection along Z across the object's box.
//
// Dropped, as the renderer cannot show them: specularity, glossiness, reflection and
// refraction, translucency, bump and other channels' maps, procedural textures and
// gradients, vertex colours, envelopes on surface values, luminosity between 0 and
// 100 % (no effect), the world-coordinate flag of a texture map.
#pragma once

#include <cstddef>
#include <cstdint>

#include "content/Lwo2Model.h"

struct SceneObject;
struct TextureTable;

// Builds the mesh of the layers numbered `layerNumber` (LAYR numbers; a number that
// several LAYR chunks carry draws them all) or of every layer (-1) into
// `object` (mesh and bounding box). Pictures load into `textures`; `objectPath` is the
// object's content path, where clips are looked for. 1 built; 0 refused with one line
// in `reason` (a polygon whose surface tag names no tag; memory running out).
int32_t buildLwo2Mesh(const Lwo2Model& model, int32_t layerNumber, TextureTable& textures,
                      const char* objectPath, SceneObject& object, char* reason, size_t reasonSize);
