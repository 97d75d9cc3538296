#include "accel/SpanSelection.h"

SpanFunction selectSpanFunction(const RenderState& /*state*/, bool /*rgb565*/,
                                const DecodedTexture* /*texture*/) {
    return drawSpanGeneral;
}
