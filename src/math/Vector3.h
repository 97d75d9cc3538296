// Vector3: three single-precision floats.
//
// Used for positions (scene units), scale factors and normals. Deliberately a plain
// record without operators: every computation in the system spells out its arithmetic
// so that the order of operations, and with it every rounded result, stays as written.
#pragma once

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// result = b × a (note the order): callers that want u × v pass (v, u).
void crossProduct(const Vector3& a, const Vector3& b, Vector3& result);
