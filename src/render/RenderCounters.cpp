#include "render/RenderCounters.h"

RenderCounters renderCounters;
