#!/usr/bin/env python3
"""Builds the small LightWave 5 test scene in this directory (run it from here).

scenes/outdoor.lws  a version-1 "LWSC" scene: a grey floor, the coloured box and the
                    pink sphere (below), a distant light, a point light with a lens
                    flare, a fire on the floor, the camera aimed at the box, which turns
                    once over frames 0..60.
objects/box.lwo     box1.5.lwo triangulated: each quadrangle (a, b, c, d) became the
                    triangles (a, b, c) and (a, c, d); every other chunk byte-identical.
objects/sphere.lwo  sphere_with_mat_gloss_10pc.lwo triangulated the same way.
objects/floor.lwo   written here: a 10 x 10 square at y = 0, two triangles, surface
                    "Floor", colour 160 160 150.
textures/flare.3df  written here: 64 x 64 i8, a soft round spot (lens flare).
textures/fire.3df   written here: 32 x 32 i8, a smaller spot (fire particles).

Provenance of the two real objects (copied from the team's shared test data):
  box1.5.lwo  - test suite of an open-source Blender LightWave importer
                (tests/basic/src/box/), MIT licence.
  sphere_with_mat_gloss_10pc.lwo - Open Asset Import Library test models
                (test/models/LWO/LWOB/), BSD-3-Clause licence.
"""
import math
import os
import struct
import sys

SOURCE = sys.argv[1] if len(sys.argv) > 1 else "/work/shared/testdata/lwob"


def chunks(data):
    i = 12
    while i < len(data):
        tag, length = data[i:i + 4], struct.unpack(">I", data[i + 4:i + 8])[0]
        yield tag, data[i + 8:i + 8 + length]
        i += 8 + length + (length & 1)


def chunk(tag, body):
    return tag + struct.pack(">I", len(body)) + body + (b"\0" if len(body) & 1 else b"")


def form(parts):
    body = b"LWOB" + b"".join(parts)
    return b"FORM" + struct.pack(">I", len(body)) + body


def triangulated(data):
    parts = []
    for tag, body in chunks(data):
        if tag == b"POLS":
            out, i = b"", 0
            while i < len(body):
                n = struct.unpack(">H", body[i:i + 2])[0]
                idx = struct.unpack(">%dH" % n, body[i + 2:i + 2 + 2 * n])
                surface = body[i + 2 + 2 * n:i + 4 + 2 * n]
                for k in range(1, n - 1):
                    out += struct.pack(">4H", 3, idx[0], idx[k], idx[k + 1]) + surface
                i += 4 + 2 * n
            body = out
        parts.append(chunk(tag, body))
    return form(parts)


def floor():
    pts = [(-5, 0, -5), (-5, 0, 5), (5, 0, 5), (5, 0, -5)]
    pnts = b"".join(struct.pack(">3f", *p) for p in pts)
    pols = struct.pack(">5H", 3, 0, 1, 2, 1) + struct.pack(">5H", 3, 0, 2, 3, 1)
    surf = b"Floor\0" + b"COLR" + struct.pack(">H", 4) + bytes([160, 160, 150, 0])
    surf += b"FLAG" + struct.pack(">HH", 2, 0)
    return form([chunk(b"PNTS", pnts), chunk(b"POLS", pols), chunk(b"SRFS", b"Floor\0"),
                 chunk(b"SURF", surf)])


def spot(size):
    texels = bytearray()
    for y in range(size):
        for x in range(size):
            r = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2) / (size / 2)
            texels.append(int(255 * max(0.0, 1.0 - r) ** 2))
    header = "3df v1.0\ni8\nlod range: %d %d\naspect ratio: 1 1\n" % (size, size)
    return header.encode() + bytes(texels)


def motion(keys):
    lines = ["  9", "  %d" % len(keys)]
    for frame, values in keys:
        lines.append("  " + " ".join("%g" % v for v in values))
        lines.append("  %d 0 0 0 0" % frame)
    return "\n".join(lines)


def scene():
    still = lambda *v: motion([(0, v)])
    return "\n".join([
        "LWSC", "1", "",
        "FirstFrame 1", "LastFrame 60", "FrameStep 1", "FramesPerSecond 30", "",
        "LoadObject objects\\floor.lwo", "ObjectMotion (unnamed)", still(0, 0, 0, 0, 0, 0, 1, 1, 1),
        "EndBehavior 1", "",
        "LoadObject objects\\box.lwo", "ObjectMotion (unnamed)",
        motion([(0, (0, 0.75, 0, 30, 0, 0, 1.5, 1.5, 1.5)),
                (60, (0, 0.75, 0, 390, 0, 0, 1.5, 1.5, 1.5))]),
        "EndBehavior 1", "",
        "LoadObject objects\\sphere.lwo", "ObjectMotion (unnamed)",
        still(2.2, 0.63, 1.0, 0, 0, 0, 0.3, 0.3, 0.3), "EndBehavior 1", "",
        "AmbientColor 255 255 255", "AmbIntensity 0.2", "",
        "AddLight", "LightName Sun", "ShowLight 0 7", "LightMotion (unnamed)",
        still(0, 10, 0, 40, 50, 0, 1, 1, 1), "EndBehavior 1",
        "LightColor 255 250 235", "LgtIntensity 0.9", "LightType 0", "",
        "AddLight", "LightName Lamp", "ShowLight 0 7", "LightMotion (unnamed)",
        still(-1.7, 2.6, -0.6, 0, 0, 0, 1, 1, 1), "EndBehavior 1",
        "LightColor 255 190 120", "LgtIntensity 1.0", "LightType 1", "LightRange 7",
        "LensFlare 1", "FlareIntensity 0.6", "",
        "AddFire 40 0.5 1.6", "FireMode 0", "FireStartFrame -1", "FireEndFrame 1000",
        "FireFadeTime 20", "FireColor 255 150 60", "FireColFade 1 1 1",
        "FireTexture fire.tga", "FireMotion (unnamed)", still(-2.0, 0, 1.4, 0, 0, 0, 1, 1, 1), "",
        "ShowCamera 1 7", "CameraMotion (unnamed)", still(0.8, 3.6, -8.5, 0, 0, 0, 1, 1, 1),
        "EndBehavior 1", "TargetObject 2", "ZoomFactor 2.2", "",
    ])


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


write("objects/box.lwo", triangulated(open(os.path.join(SOURCE, "box1.5.lwo"), "rb").read()))
write("objects/sphere.lwo",
      triangulated(open(os.path.join(SOURCE, "sphere_with_mat_gloss_10pc.lwo"), "rb").read()))
write("objects/floor.lwo", floor())
write("textures/flare.3df", spot(64))
write("textures/fire.3df", spot(32))
write("scenes/outdoor.lws", scene().replace("\n", "\r\n").encode())
