// The edges of a prepared triangle (Rasterizer.h) stepped from row to row in exact
// integers: the drawing of its rows, baseline (Rasterizer.cpp) and AVX-512
// (TriangleRowsAvx512.cpp), shares them. Everything here has internal linkage, so that
// each of those files, compiled for its own instruction set, has a copy of its own: an
// inline function of external linkage compiled for AVX-512 could be the one the linker
// keeps for baseline code.
#pragma once

#include <cstdint>

#include "accel/Rasterizer.h"

namespace {

// floor(n0 / d) and floor(n1 / d) with their remainders, for 0 < d and |n| < 2^53: the
// correctly rounded double quotients are within 1/8 of the exact ones (|n / d| < 2^50),
// so truncating them and stepping once by the exact integer remainder gives the floor.
// (Two quotients in one division, much cheaper than two 64-bit integer divisions.)
void floorDivide(int64_t n0, int64_t n1, int64_t d, int64_t& q0, int64_t& r0, int64_t& q1,
                 int64_t& r1) {
    const RasterPair q =
        RasterPair{static_cast<double>(n0), static_cast<double>(n1)} / static_cast<double>(d);
    // Branch-free: which way the truncated quotient is off follows the signs of the
    // edges, which branches would mispredict.
    auto fix = [d](int64_t n, double approximate, int64_t& quotient, int64_t& remainder) {
        const int64_t t = static_cast<int64_t>(approximate);
        const int64_t r = n - t * d;
        const int64_t under = r < 0 ? 1 : 0;
        const int64_t over = r >= d ? 1 : 0;
        quotient = t - under + over;
        remainder = r + (d & -under) - (d & -over);
    };
    fix(n0, q[0], q0, r0);
    fix(n1, q[1], q1, r1);
}

// A non-horizontal edge of a positively oriented triangle, stepped row by row: q is the
// last column inside (edges bounding the span from the right) or minus the first column
// inside (from the left) on the current row (see Rasterizer.h). The default edge never
// binds.
struct Edge {
    int64_t q = INT64_MAX / 2;
    int64_t r = 0, d = 1; // q = floor(C / d), r the remainder
    int64_t qStep = 0, rStep = 0;

    void nextRow() {
        q += qStep;
        r += rStep;
        const int64_t carry = r >= d ? 1 : 0; // branch-free: the carry is data, not control
        q += carry;
        r -= d & -carry;
    }
};

// The edges of a triangle sorted by what they bound, absent ones never binding.
struct Edges {
    Edge left[2], right[2];
    int64_t c = 0, cStep = 0; // the horizontal edge's function on the current row, if any

    void add(int64_t xi, int64_t yi, int64_t xj, int64_t yj, int64_t firstRow, int32_t& lefts,
             int32_t& rights) {
        const int64_t dx = xj - xi;
        const int64_t dy = yj - yi;
        const int64_t bias = (dy < 0 || (dy == 0 && dx > 0)) ? 0 : 1;
        // Inside when C(row) - 16 * dy * column >= 0.
        const int64_t rowConstant = dx * (16 * firstRow + 8 - yi) - dy * (8 - xi) - bias;
        const int64_t step = 16 * dx;
        if (dy == 0) {
            c = rowConstant;
            cStep = step;
            return;
        }
        Edge& e = dy > 0 ? right[rights++] : left[lefts++];
        e.d = 16 * (dy > 0 ? dy : -dy);
        // |rowConstant| < 2^50: |dx|, |dy| <= 2^24 and rows and columns are below 2^24.
        floorDivide(rowConstant, step, e.d, e.q, e.r, e.qStep, e.rStep);
    }

    // A triangle's three edges, written out rather than looped over so that their
    // divisions are issued together.
    void addAll(const int64_t (&x)[3], const int64_t (&y)[3], int64_t firstRow, int32_t& lefts,
                int32_t& rights) {
        add(x[0], y[0], x[1], y[1], firstRow, lefts, rights);
        add(x[1], y[1], x[2], y[2], firstRow, lefts, rights);
        add(x[2], y[2], x[0], y[0], firstRow, lefts, rights);
    }

    // The columns left..right of the current row inside the triangle and inside
    // firstColumn..lastColumn; false when there are none. Lefts and Rights: how many
    // edges add() sorted to each side (one left and two right, two left and one right, or
    // one of each and a horizontal one); an absent edge would never bind, so leaving it
    // out saves stepping it on every row.
    template <int32_t Lefts, int32_t Rights>
    bool columns(int64_t firstColumn, int64_t lastColumn, int64_t& left, int64_t& right) const {
        left = firstColumn < -this->left[0].q ? -this->left[0].q : firstColumn;
        right = this->right[0].q < lastColumn ? this->right[0].q : lastColumn;
        if constexpr (Lefts == 2) {
            left = left < -this->left[1].q ? -this->left[1].q : left;
        }
        if constexpr (Rights == 2) {
            right = this->right[1].q < right ? this->right[1].q : right;
        }
        return (Lefts + Rights != 2 || c >= 0) && left <= right;
    }

    template <int32_t Lefts, int32_t Rights>
    void nextRow() {
        left[0].nextRow();
        right[0].nextRow();
        if constexpr (Lefts == 2) {
            left[1].nextRow();
        }
        if constexpr (Rights == 2) {
            right[1].nextRow();
        }
        if constexpr (Lefts + Rights == 2) {
            c += cStep;
        }
    }
};

// Runs `rows`, a lambda templated on Lefts and Rights (see Edges::columns), for the
// edges add() sorted: `lefts` and `rights` as it counted them.
template <class Rows>
[[gnu::always_inline]] inline void forEdgeShape(int32_t lefts, int32_t rights, const Rows& rows) {
    if (lefts == 2) {
        rows.template operator()<2, 1>();
    } else if (rights == 2) {
        rows.template operator()<1, 2>();
    } else {
        rows.template operator()<1, 1>();
    }
}

} // namespace
