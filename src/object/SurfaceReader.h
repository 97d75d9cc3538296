// The surface reader: one SURF chunk of an object file into its Surface record.
//
// Called by readSurfaceChunks for every SURF tag the object file holds, after the SRFS
// names have been read and the Surface array zero-filled. A chunk is the surface's name
// and then attribute sub-chunks (colour, flags, luminosity, transparency, reflection,
// texture kind, image and projection). Sub-chunks are found by a byte scan for their
// tags inside the chunk, exactly as the player always read them, so data that happens to
// spell a tag is taken for one. Texture images are loaded into the scene's TextureTable.
// Every attribute read is traced on the loader trace (platform/Diagnostics.h).
//
// Units: colour bytes, 16-bit transparency and reflectivity become fractions of 256;
// texture size and centre are in object units; the wrap width in repeats per cylinder.
//
// What it does not do: check the u16 sub-chunk lengths (they are read and not used), or
// fail: a chunk of length below 1 is passed over behind its length field, one whose
// length runs past the end of the file is read to the end of the file, and a chunk whose
// name is no SRFS name is read and dropped.
#pragma once

#include <cstdint>

#include "object/Mesh.h"
#include "object/ObjectFile.h"

struct TextureTable;

// Longest name kept, in bytes without the terminator: what a name slot holds. Longer
// SRFS and SURF names are cut to it alike, so they still find each other.
inline constexpr int32_t kMaxSurfaceNameLength = kSurfaceNameSize - 1;

// A mesh's SRFS names with a lookup by name.
struct SurfaceNameTable {
    const char (*names)[kSurfaceNameSize] = nullptr; // `count` slots
    int32_t count = 0;
    const int32_t* order = nullptr; // 0 .. count-1 sorted by name, equal names by index

    // The last index whose name equals `name` (exact, case-sensitive), or -1.
    int32_t find(const char* name) const;
};

// Builds `order` for `names` (count entries) in place.
void sortSurfaceNames(const char (*names)[kSurfaceNameSize], int32_t count, int32_t* order);

// `file` is positioned just behind a SURF tag; returns with it behind the last byte read.
void readSurfaceChunk(ObjectFile& file, Surface* surfaces, const SurfaceNameTable& names,
                      TextureTable& textures);
