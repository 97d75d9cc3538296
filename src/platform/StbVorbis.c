/* The Ogg Vorbis decoder of stb_vorbis, compiled once for VorbisSoundFile.cpp. */
#include <stb_vorbis.h>
