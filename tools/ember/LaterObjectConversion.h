// LaterObjectConversion: an LWO2 object (LightWave 6 and later) as files the player
// reads, for `ember convert object|demo`.
//
// Usage:
//   if (isLwo2Object("objects\\car.lwo")) {
//       std::vector<std::string> written;  // the texture files, as they are written
//       ConvertedObject converted = convertLwo2Object("objects\\car.lwo", "textures", written);
//       ... write converted.lwob, and converted.textureCoordinates beside it as .txc
//   }
//
// The object is loaded as ember loads it for a version-1 scene (every layer as one
// object, the points where the file has them, pictures found beside it or in images\)
// and exported as `ember convert scene` exports a scene's objects (MeshExport.h): an
// all-triangle LWOB with its surfaces, every corner's texture coordinates in the .txc,
// and each picture the surfaces show as a 3DF texture in `textureFolder`, named after
// the picture and never replacing a file that is there. The export is read back as the
// player reads it (from a temporary folder) and must give the same points, triangles,
// texture coordinates and surfaces (normals: see MeshExport.h), or the conversion fails.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ember/ObjectConversion.h"

// True when the file at the content path is an LWO2 object (FORM ... LWO2).
bool isLwo2Object(const std::string& contentPath);

// Throws ToolError with the reader's reason when the object cannot be converted; the
// textures are then removed again (they never replace a file). `texturesWritten`
// receives the paths of the textures written.
ConvertedObject convertLwo2Object(const std::string& contentPath,
                                  const std::filesystem::path& textureFolder,
                                  std::vector<std::string>& texturesWritten);
