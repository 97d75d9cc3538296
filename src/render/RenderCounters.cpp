#include "render/RenderCounters.h"

FrameCounters frameCounters;
