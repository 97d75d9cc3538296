// Morphing: an object changes its shape over time into the other objects of its morph
// chain.
//
// A chain starts at a head (an object with hasMorph 1 that no object names as its
// target); member 0 is the head, member k+1 the morphTarget of member k, and the chain
// goes on while the member reached has hasMorph 1. The head's morphAmount says where on
// the chain its shape is: 0 its own, 1 the first target, 2 the second ...
//
// Call order: prepareMorphChains() once, after every object of the scene is loaded (the
// scene reader does this); then each frame, after SceneObject::updateEnvelopes(),
// SceneObject::applyMorph() on each head (declared on the record in
// player/SceneObject.h). Targets are neither animated nor drawn on their own.
//
// What preparation refuses (the scene then fails to load; `problem` says why, numbering
// objects from 1 in their "LoadObject" order as the scene file does):
//   - a morph target that is not an object of the scene (index outside 0..objectCount-1);
//   - a chain that runs from its head into a loop (a member naming an earlier member,
//     or itself). Objects that only name each other, or themselves, with no head
//     leading to them (a "Metamorph" without "MorphTarget" on the first object names
//     that object) are not refused: they are targets, hidden like any other;
//   - a member with fewer points than its head (the blend pairs points by index over
//     the head's points);
//   - memory for the shape copies that cannot be had.
// Nothing is changed when it refuses.
//
// What it does not do: renormalise blended normals, or check that members have their
// points in the same order as the head (content guarantees it).
#pragma once

#include <cstddef>
#include <cstdint>

struct SceneObject;

// Marks the targets, copies every chain's shapes (positions and normals) into its head,
// widens the head's bounding box over all members, and releases the targets' own
// geometry. Returns 1, or 0 with a one-line reason in problem[0 .. problemSize).
int32_t prepareMorphChains(SceneObject* objects, int32_t objectCount, char* problem = nullptr,
                           size_t problemSize = 0);
