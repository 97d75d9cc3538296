#include "object/MeshPreparation.h"

void computeBoundingBox(const Mesh& mesh, float box[8][4]) {
    float low[3] = {0.0f, 0.0f, 0.0f};
    float high[3] = {0.0f, 0.0f, 0.0f};
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        const float* p = mesh.points[i].position;
        for (int a = 0; a < 3; ++a) {
            if (i == 0 || p[a] < low[a]) {
                low[a] = p[a];
            }
            if (i == 0 || p[a] > high[a]) {
                high[a] = p[a];
            }
        }
    }
    // Corner j: x max for 0, 3, 4, 7; y max for 0, 1, 4, 5; z max for 0-3.
    static const int kXMax[8] = {1, 0, 0, 1, 1, 0, 0, 1};
    static const int kYMax[8] = {1, 1, 0, 0, 1, 1, 0, 0};
    for (int j = 0; j < 8; ++j) {
        box[j][0] = kXMax[j] ? high[0] : low[0];
        box[j][1] = kYMax[j] ? high[1] : low[1];
        box[j][2] = j < 4 ? high[2] : low[2];
        box[j][3] = 1.0f;
    }
}
