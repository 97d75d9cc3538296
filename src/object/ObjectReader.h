// The object file reader: the chunks of a LightWave object (LWOB) file into a Mesh.
//
// SceneObject::loadObject (LoadObject.cpp) calls these in order on a file read with
// readObjectFile(): points, polygons, then surface names and surfaces. Each finds its
// chunk by the first occurrence of its tag anywhere in the file (see ObjectFile.h); the
// FORM header and the lengths of other chunks play no part, so chunks may come in any
// order, with foreign chunks between them.
//
//   PNTS  u32 length L; L / 12 points of three big-endian floats (object units)
//   POLS  u32 length L; L / 10 triangles: u16 corner count (must be 3), three u16 point
//         indices, u16 surface number (1-based)
//   SRFS  u32 length L; L bytes of zero-terminated names, each padded to an even length
//   SURF  every occurrence: one surface (SurfaceReader.h)
//
// Polygons of any size (the ember tool: ReaderExtensions::triangulatePolygons set). POLS
// is then read as LightWave 5 writes it: u16 corner count, that many u16 point indices,
// i16 surface number; a negative number -s is surface s followed by a u16 count of
// detail polygons, which come next in the same form. Triangles are taken as they are
// (an object of triangles loads exactly as the player loads it), polygons of four or
// more corners are triangulated in their own plane with their winding kept, polygons of
// fewer than three corners (points, lines) and polygons without area are skipped; the
// Mesh's census counts all of them. Mesh triangles follow the file's polygons in order,
// each polygon's triangles in the triangulator's order, which is the order of a .txc
// file beside the object. A polygon's surface number is checked only when it gives
// triangles, and messages number polygons as the file does.
//
// Each returns 0 on success and -1 when the file cannot be used; the reason has then
// been reported (ObjectLoadFailure.h) and the caller empties the mesh. Refused: a missing
// chunk, a polygon other than a triangle, a length that runs past the end of the file
// or is negative, a point index >= pointCount, a surface number 0 or above the number of
// SRFS names, more than 65535 names (no polygon can use more), and allocation failures
// of points and polygons. Running out of memory for the surface names or records ends
// the process ("Out of memory error", exit status 1): the player cannot go on without
// them.
//
// What it does not do: check point coordinates (any float is kept), or the sizes of
// sub-chunks inside SURF chunks.
#pragma once

#include <cstdint>

#include "object/Mesh.h"
#include "object/ObjectFile.h"

struct TextureTable;
struct Vector3;

inline constexpr int32_t kMaxSurfaceCount = 65535; // surface numbers are u16 from 1

int32_t readPointsChunk(Mesh& mesh, ObjectFile& file);
int32_t readPolygonsChunk(Mesh& mesh, ObjectFile& file);
int32_t readSurfaceChunks(Mesh& mesh, TextureTable& textures, ObjectFile& file);

// readPolygonsChunk's triangulating mode (PolygonsOfAnySize.cpp): the `length` bytes of
// a POLS chunk at the file's position, polygons of four or more corners given to
// `triangulate`. 0, or -1 when refused (reported).
int32_t readAnyPolygons(Mesh& mesh, ObjectFile& file, int32_t length,
                        int32_t (*triangulate)(const Vector3*, int32_t, int32_t (*)[3]));

// The number of SRFS names that readSurfaceChunks will count, or -1 when the file has no
// usable SRFS chunk (readSurfaceChunks reports that). Leaves the position alone.
int64_t surfaceNameCount(ObjectFile& file);
