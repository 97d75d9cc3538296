// Lwo2Projection: texture coordinates of an image map's planar, cylindrical, spherical
// and cubic projections.
//
// Coordinates are LightWave's: u and v run 0..1 across the image once, v upwards
// (image row 0 is at v = 1). The point is taken relative to the map's centre and
// turned back by its rotation (bank about Z, pitch about X, heading about Y, each by
// the negative angle); then, with the map's major axis A and the other two axes in
// the order below:
//   planar       u, v = the other two coordinates / size + 1/2
//                (axis Z: x, y; X: z, y; Y: x, z)
//   cylindrical  u = 1/2 + angle / 2 pi about A, v = height along A / size + 1/2
//                (angle atan2(z, x) about Y, atan2(-y, -z) about X, atan2(-y, x) about Z)
//   spherical    u as cylindrical, v = 1/2 + latitude / pi (size plays no part)
//   cubic        planar on the axis along which the polygon's normal is largest
// Cylindrical and spherical u are brought into [0, 1); when a polygon's corners spread
// over more than half a turn, those below 1/2 move up by a turn (so no polygon spans
// the seam backwards); corners on the axis (a sphere's poles), which have no longitude,
// take the mean of the polygon's other corners; then u is multiplied by the wrap count
// (spherical v too).
#pragma once

#include <cstdint>

#include "content/Lwo2Surface.h"

// u[i], v[i] for corner i of a polygon whose corner positions (object space) are
// points[3 * cornerPoints[i]]; `normal` is the polygon's normal (any length, either
// sign; only cubic reads it). Front and UV projections are not handled here: the caller
// passes a planar map for the first and reads the UV map for the second.
void projectPolygon(const Lwo2ImageMap& map, const float* points, const int32_t* cornerPoints,
                    int32_t cornerCount, const float normal[3], float* u, float* v);
