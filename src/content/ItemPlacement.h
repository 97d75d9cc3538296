// ItemPlacement: where a scene item is, in the player's own terms.
//
// The player places every object, light and the camera by nine numbers: scale, then
// bank (about z), pitch (about x) and heading (about y), then position; points are row
// vectors (p' = p × M). Later scenes give each item its own channels in the same order,
// relative to a parent item, about a pivot. This module composes those placements in
// double precision and takes a composed one apart again into the nine numbers.
//
// Usage:
//   Affine local = placementMatrix(placement);            // scale, rotate, move
//   Affine child = multiply(local, multiply(translation(-parentPivot), parentMatrix));
//   ItemPose world = decompose(child, &previousWorld);   // nearest angles to the previous
//
// Angles are radians here; positions in metres. A composed placement that is sheared (a
// child of a parent scaled differently along its axes) has no exact nine-number form:
// decompose() keeps the lengths of the axes as the scale and the nearest rotation.
#pragma once

#include <cstdint>

// The nine numbers that place an item: scale, then bank, pitch and heading, then
// position.
struct ItemPose {
    double position[3] = {};
    double heading = 0.0; // about y
    double pitch = 0.0;   // about x
    double bank = 0.0;    // about z
    double scale[3] = {1.0, 1.0, 1.0};
};

// Rows 0..2: the images of the x, y, z axes; row 3: the translation.
struct Affine {
    double m[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
};

Affine placementMatrix(const ItemPose& placement);
Affine translation(double x, double y, double z);
// `first` applied, then `second`.
Affine multiply(const Affine& first, const Affine& second);

// The placement whose matrix is nearest to `matrix`. With `previous`, each angle is the
// one of its equivalents (a multiple of a full turn away, or the other triple that gives
// the same rotation) nearest to the previous frame's, so that angles change smoothly from
// frame to frame.
ItemPose decompose(const Affine& matrix, const ItemPose* previous);

// Heading and pitch that turn an item's +z axis from `from` towards `to`; false (angles
// unchanged) when the two points coincide.
bool aimAngles(const double (&from)[3], const double (&to)[3], double& heading, double& pitch);

// The nearest angle to `reference` that equals `angle` up to whole turns.
double nearestTurn(double angle, double reference);
