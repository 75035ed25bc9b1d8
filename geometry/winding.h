#pragma once

#include "records/model_records.h"

#include <cstdint>
#include <optional>
#include <vector>

class CExecutor;

// Which way stored faces turn, told by what a viewer sees of them: the model
// is looked at from every direction around it, and every surface point seen
// first counts for the front or the back of its face. A closed volume would
// not do: game models are mostly open sheets, and a surface that passes
// through itself encloses a volume of either sign.

// A direction from the model toward a viewer, of length 1, in the stored
// coordinates.
struct ViewDirection
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Whether a viewer toward `toViewer` sees the front of the face: its stored
// corners a, b, c run counter-clockwise as that viewer sees them, as ordinary
// .3DS files store faces seen from outside. The preview and the advice both
// decide by this.
bool ShowsFront(const ModelVertex& a, const ModelVertex& b, const ModelVertex& c, ViewDirection toViewer);

// The views the measure looks from: toward the 6 faces, 12 edges and 8
// corners of a cube around the model, orthographic.
std::vector<ViewDirection> SightViews();

// The pixels of each view's square picture.
inline constexpr int kSightSize = 256;

enum class StoredWinding
{
    Outward,  // at least 60 % of what is seen shows fronts
    Inward,   // at most 40 %: a mirrored object, or one stored inside out
    TwoSided, // in between: a single sheet, seen as much from one side as from the other
    Undecided, // nothing of it is seen
};

inline constexpr double kOutwardShare = 0.6;
inline constexpr double kInwardShare = 0.4;

// The winding of a part whose fronts make up `outwardShare` of what is seen
// of it; none when nothing is seen.
StoredWinding WindingOfShare(std::optional<double> outwardShare);

// Within an object, faces joined by edges (two positions) that exactly two
// faces share, wound the same way; an edge of three or more faces ends a
// patch. Positions rather than vertex indices join, since real meshes split
// vertices along texture seams.
struct SurfacePatch
{
    int object = 0;
    std::uint32_t faceCount = 0;
    std::uint64_t frontSeen = 0; // pixels over all views
    std::uint64_t backSeen = 0;
};

struct SurfaceSight
{
    std::vector<SurfacePatch> patches; // by object, then by each patch's first face
    // Per object, per face, its patch's index in patches.
    std::vector<std::vector<std::uint32_t>> patchOfFace;
};

// The fronts' share of what is seen: frontSeen / (frontSeen + backSeen),
// none when nothing is seen.
std::optional<double> OutwardShare(std::uint64_t frontSeen, std::uint64_t backSeen);

// Looks at the objects together (one hides another) from SightViews, at
// kSightSize pixels, the views spread over the executor. The objects must be
// well formed (IsWellFormed). Takes time linear in faces times views, plus
// the pixels.
SurfaceSight LookAtSurface(const std::vector<const ModelObject*>& objects, CExecutor& executor);

// Turns around every face of the object whose patch shows more back than
// front, so that it faces out as stored; returns how many were turned.
std::uint64_t TurnInwardPatches(ModelObject& object, int objectIndex, const SurfaceSight& sight);
