// Mesh preparation: what drawing needs from a freshly read mesh, derived once at load.
//
// SceneObject::loadObject runs the steps in this order, each on the result of the one
// before, after the object reader has filled points, triangles and surfaces (with every
// point index and surface index checked):
//   1. applyTextureCoordinateFile(); when the object has none, generateTextureCoordinates()
//   2. computeVertexNormals()
//   3. splitPointsBySurface()
//   4. computeBoundingBox()
//
// Spaces and units: positions, normals, texture centre and size in object space; corner
// u, v in texels of a 256-texel texture (256 spans one image); normals unit length.
//
// The texture-coordinate file lies beside the object file, named like it with "txc" in
// place of the three characters after the last '.' of the file name ("box.lwo" ->
// "box.txc"; a shorter extension is replaced whole: "box.l" -> "box.txc"; a name
// without '.' has none). No header; per triangle in file order, six little-endian
// floats: u, v of corners 0, 1, 2, used as they are.
//
// What it does not do: use the smoothing angle or flag (normals are smooth across the
// whole mesh, also across surface borders); generate coordinates for spherical mapping
// or untextured surfaces (their corners keep u = v = 0).
#pragma once

#include <cstddef>
#include <cstdint>

#include "object/Mesh.h"

// The texture-coordinate file's content path for `objectFileName` into `path` (size
// bytes). Returns 0 when the name has no '.' in its last component or does not fit.
int32_t textureCoordinateFileName(const char* objectFileName, char* path, size_t size);

// Returns 1 when the object's texture-coordinate file was read into the corners, 0 when
// there is none, -1 when it cannot be read (reported; the load fails). A file shorter
// than the triangles need fills the whole triangles it holds, in order; the others keep
// u = v = 0, and nothing is generated for them.
int32_t applyTextureCoordinateFile(Mesh& mesh, const char* objectFileName);

// Planar and cylindrical mapping from each triangle's surface. A zero component of the
// projection size that a coordinate would be divided by gives that coordinate the
// value at the projection centre.
void generateTextureCoordinates(Mesh& mesh);

// The angle of the cylindrical mapping, in radians, from its two arguments.
float cylinderAngle(float x1, float x2);

// (p0 - p1) × (p2 - p1) at unit length; (-1, 0, 0) for a triangle of zero area.
void faceNormal(const float* p0, const float* p1, const float* p2, float normal[3]);

// Per point: the unit sum of the face normals of the triangles that use it, in triangle
// order; (0, 0, 1) and a trace line when that sum is zero (also for unused points).
void computeVertexNormals(Mesh& mesh);

// Gives every point the surface, colour and luminosity of the triangles that use it, as
// one copy of the point per surface (copies numbered behind the points in the order
// the triangles need them); corners are moved to their surface's copy. Points no
// triangle uses keep surface 0, colour and luminosity 0. Returns 0, or -1 when out of
// memory (the mesh is then unchanged).
int32_t splitPointsBySurface(Mesh& mesh);

// The eight corners (x, y, z, 1) of the points' box: 0 (max, max, max), 1 (min, max, max),
// 2 (min, min, max), 3 (max, min, max), 4-7 the same with z min. All corners are the
// origin for a mesh without points.
void computeBoundingBox(const Mesh& mesh, float box[8][4]);
