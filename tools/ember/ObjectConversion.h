// Object conversion: an LWOB object with polygons of any size into the all-triangle LWOB
// that the player reads, for `ember convert object|demo` and the fuzz seeds.
//
// Usage:
//   const ConvertedObject converted = convertObject("objects\\box.lwo");  // content path
//   ... write converted.lwob, and converted.textureCoordinates beside it when not empty ...
//
// The object is read with the triangulating reader (ObjectReader.h): the points as they
// are (same indices, same bits), one triangle per POLS record in the reader's triangle
// order, the SRFS chunk and every SURF chunk copied byte for byte (sub-chunks included),
// nothing else. Texture coordinates: the player generates planar and cylindrical ones
// from the positions of each triangle's corners, so a triangle of a polygon gets what
// the polygon's corner had; only an object with a texture-coordinate file of its own
// needs one beside the converted file, which then holds its triangles' coordinates.
// The result is read back with the player's reader (triangles only) and must give the
// same points, triangles and surfaces, or the conversion fails.
//
// What it does not do: convert objects of other forms (LWO2), or write any file.
#pragma once

#include <cstdint>
#include <string>

struct ConvertedObject {
    std::string lwob;               // the converted file's bytes
    std::string textureCoordinates; // the .txc beside it; empty when none is needed
    int32_t polygons = 0;           // in the file, details included
    int32_t triangles = 0;          // written
    int32_t skippedPointsAndLines = 0;
    int32_t skippedWithoutArea = 0;
};

// Throws ToolError with the reader's reason when the object cannot be converted.
ConvertedObject convertObject(const std::string& contentPath);

// The .txc content path beside an object's content path, or "" when it has none.
std::string textureCoordinatePathOf(const std::string& objectPath);
