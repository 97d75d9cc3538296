// The linear normal and split passes against the straightforward loops they replace:
// for each point, the face normals of all triangles in order; and the points × surfaces
// work array with a chain per point. Results must be identical to the bit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "object/MeshPreparation.h"
#include "platform/Diagnostics.h"

namespace {

void referenceNormals(Mesh& mesh) {
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        float sum[3] = {0.0f, 0.0f, 0.0f};
        for (int32_t t = 0; t < mesh.polygonCount; ++t) {
            const PolygonCorner* c = mesh.polygons[t].corners;
            if (c[0].pointIndex != i && c[1].pointIndex != i && c[2].pointIndex != i) {
                continue;
            }
            float n[3];
            faceNormal(mesh.points[c[0].pointIndex].position, mesh.points[c[1].pointIndex].position,
                       mesh.points[c[2].pointIndex].position, n);
            for (int a = 0; a < 3; ++a) {
                sum[a] = sum[a] + n[a];
            }
        }
        const float length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
        float* normal = mesh.points[i].normal;
        for (int a = 0; a < 3; ++a) {
            normal[a] = length == 0.0f ? (a == 2 ? 1.0f : 0.0f) : sum[a] / length;
        }
    }
}

void takeSurface(MeshPoint& point, const Mesh& mesh, int32_t s) {
    point.luminosity = mesh.surfaces[s].luminosity;
    std::memcpy(point.color, mesh.surfaces[s].color, sizeof point.color);
    point.surface = s;
}

void referenceSplit(Mesh& mesh) {
    const size_t size = static_cast<size_t>(mesh.pointCount) * mesh.surfaceCount;
    std::vector<MeshPoint> work(size);
    std::vector<int32_t> link(size, -1);
    std::copy(mesh.points.get(), mesh.points.get() + mesh.pointCount, work.begin());
    int32_t next = mesh.pointCount;
    for (int32_t t = 0; t < mesh.polygonCount; ++t) {
        const int32_t s = mesh.polygons[t].surface;
        for (PolygonCorner& corner : mesh.polygons[t].corners) {
            const int32_t p = corner.pointIndex;
            if (link[p] == -1) {
                link[p] = 0;
                takeSurface(work[p], mesh, s);
            } else if (work[p].surface != s) {
                int32_t r = p;
                while (work[r].surface != s && link[r] != 0) {
                    r = link[r];
                }
                if (work[r].surface != s) {
                    const int32_t n = next++;
                    link[n] = 0;
                    link[r] = n;
                    work[n] = work[p];
                    takeSurface(work[n], mesh, s);
                    r = n;
                }
                corner.pointIndex = r;
            }
        }
    }
    mesh.points.reset(new MeshPoint[next]);
    std::copy(work.begin(), work.begin() + next, mesh.points.get());
    mesh.pointCount = next;
}

// Points at all scales (so that the order of additions shows in the last bits), many on
// shared positions; triangles naming points twice; points no triangle uses.
void randomMesh(std::mt19937& random, Mesh& mesh) {
    std::uniform_int_distribution<int32_t> counts(1, 60);
    const int32_t pointCount = counts(random);
    const int32_t polygonCount = counts(random) * 4 - 4;
    const int32_t surfaceCount = std::uniform_int_distribution<int32_t>(1, 6)(random);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int32_t> exponent(-8, 8);
    std::uniform_int_distribution<int32_t> point(0, pointCount - 1);
    std::uniform_int_distribution<int32_t> surface(0, surfaceCount - 1);

    mesh.pointCount = pointCount;
    mesh.points.reset(new MeshPoint[pointCount + 2]);
    for (int32_t i = 0; i < pointCount; ++i) {
        for (int a = 0; a < 3; ++a) {
            mesh.points[i].position[a] = i > 2 && random() % 4 == 0
                                             ? mesh.points[i - 3].position[a]
                                             : std::ldexp(unit(random), exponent(random));
        }
        mesh.points[i].position[3] = 1.0f;
    }
    mesh.polygonCount = polygonCount;
    mesh.polygons.reset(new MeshPolygon[polygonCount + 2]);
    for (int32_t t = 0; t < polygonCount; ++t) {
        for (PolygonCorner& corner : mesh.polygons[t].corners) {
            corner.pointIndex = point(random);
        }
        if (random() % 8 == 0) {
            mesh.polygons[t].corners[2].pointIndex = mesh.polygons[t].corners[0].pointIndex;
        }
        mesh.polygons[t].surface = surface(random);
    }
    mesh.surfaceCount = surfaceCount;
    mesh.surfaces.reset(new Surface[surfaceCount + 1]);
    for (int32_t s = 0; s < surfaceCount; ++s) {
        mesh.surfaces[s].luminosity = s * 10 + 1;
        mesh.surfaces[s].color[0] = unit(random);
        mesh.surfaces[s].color[2] = static_cast<float>(s);
    }
}

void copyMesh(const Mesh& from, Mesh& to) {
    to.pointCount = from.pointCount;
    to.points.reset(new MeshPoint[from.pointCount + 2]);
    std::copy(from.points.get(), from.points.get() + from.pointCount, to.points.get());
    to.polygonCount = from.polygonCount;
    to.polygons.reset(new MeshPolygon[from.polygonCount + 2]);
    std::copy(from.polygons.get(), from.polygons.get() + from.polygonCount, to.polygons.get());
    to.surfaceCount = from.surfaceCount;
    to.surfaces.reset(new Surface[from.surfaceCount + 1]);
    std::copy(from.surfaces.get(), from.surfaces.get() + from.surfaceCount, to.surfaces.get());
}

} // namespace

TEST(LinearPreparationTest, NormalsAndSplitEqualTheStraightforwardLoopsToTheBit) {
    FILE* quiet = std::fopen("/dev/null", "w");
    setLoaderTraceStream(quiet);
    std::mt19937 random(20240601);
    for (int round = 0; round < 300; ++round) {
        Mesh linear;
        Mesh reference;
        randomMesh(random, linear);
        copyMesh(linear, reference);

        computeVertexNormals(linear);
        ASSERT_EQ(splitPointsBySurface(linear), 0);
        referenceNormals(reference);
        referenceSplit(reference);

        ASSERT_EQ(linear.pointCount, reference.pointCount) << round;
        for (int32_t i = 0; i < linear.pointCount; ++i) {
            ASSERT_EQ(std::memcmp(&linear.points[i], &reference.points[i], sizeof(MeshPoint)), 0)
                << "round " << round << ", point " << i;
        }
        for (int32_t t = 0; t < linear.polygonCount; ++t) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(linear.polygons[t].corners[k].pointIndex,
                          reference.polygons[t].corners[k].pointIndex)
                    << round << " " << t;
            }
        }
    }
    usePlayerDiagnostics();
    std::fclose(quiet);
}
