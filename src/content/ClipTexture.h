// ClipTexture: the picture an LWO2 image map names, as a texture of the scene's table.
//
// Finding the file: a clip's path is tried as written (relative to the working
// directory), then relative to the object's directory, then by its bare file name beside
// the object, in "images\" of the working directory, and in "images\" beside and above
// the object's directory; each case-insensitively, component by component (HostPath.h).
// Authors' absolute paths ("C:Users/me/wood.png") thus find the picture that travels
// with the object.
//
// Making the texture: the picture is decoded (PictureFile.h) and the image map's look is
// baked into it, since the renderer only multiplies a texture by the lit surface colour:
// an image map below full opacity or with transparent pixels is blended over the
// surface's own colour, a negative image map is inverted, and a mirrored wrap is made by
// appending the mirror image (the device's textures always repeat). Then it becomes a
// texture with mip-maps through the texture converter: INTENSITY_8 for a grey picture,
// RGB_565 otherwise. The result joins the table in memory (no file is written), under a
// key made of the picture's host path and the baking, so each picture is decoded once
// per scene and way it is used.
//
// What it does not do: clamp ("edge") or black-border ("reset") wrapping, which the
// device cannot show: such maps repeat. Image sequences show their first frame.
#pragma once

#include <cstdint>

#include "content/Lwo2Model.h"
#include "content/Lwo2Surface.h"

struct TextureTable;

struct ClipTexture {
    int32_t index = -1; // texture index in the table
    // Texels of a 256-texel texture per unit of LightWave's u and v: 256 for the long
    // side of the texture, 256 * short / long for the short side, halved in a mirrored
    // direction (the texture holds the picture twice there).
    float uScale = 256.0f;
    float vScale = 256.0f;
};

// 1 with the texture in `texture`; 0 when the map names no clip, the clip no picture, or
// the picture cannot be found, decoded or stored (reported on the error log, see
// platform/Diagnostics.h, except a map without a clip).
int32_t loadClipTexture(TextureTable& textures, const Lwo2Model& model, const Lwo2SurfaceLook& look,
                        const char* objectPath, ClipTexture& texture);

// The content paths a clip's neutral path is looked for at, in order, for an object at
// `objectPath` (a content path); `count` set to how many were written (at most 6).
void clipPathCandidates(const char* clipPath, const char* objectPath, char (*candidates)[1024],
                        int32_t& count);
