// The camera's view: the rotation that turns world directions into camera space, and
// the perspective mapping of camera-space points to unit screen coordinates.
//
// Camera space: x right, y up, z forward (visible points have z > 0);
//   v_camera = (v_world - cameraPosition) × viewRotation.
// Unit screen coordinates run 0..1 across a 4:3 field, x to the right and y upwards; the
// field spans x/z in ±1/zoom and y/z in ±0.75/zoom. The drawing code multiplies them by
// the screen size. The screen is always treated as 4:3 (aspect 1.3333334), whatever
// resolution is chosen.
#pragma once

#include <cstdint>

#include "math/Matrix4.h"
#include "math/Vector3.h"

struct MeshPoint;

// Width over height of the field every frame is projected into, whatever the resolution.
inline constexpr float kScreenAspect = 1.3333334f;

// Zoom used where a scene gives none (or zero, or not a number): LightWave's own default.
inline constexpr float kDefaultZoomFactor = 3.2f;
// zoomFactor when it can be divided by and multiplied with, else kDefaultZoomFactor.
float usableZoomFactor(float zoomFactor);

// The inverse of the camera's own rotation: identity, then rotations about Y by
// -heading, X by -pitch and Z by -bank (degrees).
void makeViewFromAngles(Matrix4& destination, float pitch, float heading, float bank);

// A view that puts `target` on the +z axis: rows of r, u, f as columns, where
// f = normalised (target - eye), r = normalised (up × f), u = f × r.
// A view straight along `up` (a camera aimed straight up or down) takes its right axis
// from +z instead of collapsing: the direction is known, only the turn about it is not,
// and the shot is common. A target at the eye gives no direction at all: the first three
// columns are zero, every object is culled and the frame shows no geometry, fire or
// flare, as the classic player showed it.
void makeLookAtView(Matrix4& destination, const Vector3& eye, const Vector3& target,
                    const Vector3& up);

// Maps viewPosition to projected for every point with isNeeded set and outsideBits 0
// (others keep earlier values): projected = (unit x, unit y, z as read, z used). A z of
// 0 or not a number is taken as 0.0001. width and height are accepted and not used.
void projectPoints(MeshPoint* points, int32_t count, int32_t width, int32_t height, float zoom);

// The same mapping for packed four-component box corners; destination may be source.
// dst = (unit x, unit y, z / z, z); a z of 0 or not a number is taken as 0.0001.
void projectCorners(const float (*source)[4], float (*destination)[4], int32_t count, int32_t width,
                    int32_t height, float zoom);
