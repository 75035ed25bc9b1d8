#pragma once

#include "geometry/winding.h"
#include "model/model_format.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// --info's core: a model file read and checked as the conversion reads it,
// and nothing written.

// What could go wrong in the converted model, one kind at a time.
enum class WarningKind
{
    UnusedVertices,    // vertices that no face uses
    FarPositions,      // positions far outside the range of the used ones
    FarMapping,        // texture coordinates far outside the range of the used ones
    NotFinite,         // vertices with a position or texture coordinate that is NaN or infinite
    ZeroAreaFaces,     // faces whose normal comes out zero
    ZeroNormals,       // used vertices whose normal comes out zero
    NameCut,           // the name was longer than the 12 characters kept
    NameCollision,     // other objects are written with the same name
    StillAnimation,    // frames > 1, and no object's keys change
};

// A "far" value lies beyond the used values' range by more than this many
// times the range's largest extent (an extent below 1 counts as 1).
inline constexpr double kFarFactor = 10.0;

struct ReportWarning
{
    WarningKind kind;
    int object = -1; // the object's index; -1 for the whole file
    std::uint64_t count = 0;
};

struct ObjectReport
{
    std::string storedName;  // as the reader keeps it: bytes of the file, cut to 12
    std::string writtenName; // as the model text file has it
    int textureFlag = 0;
    int effectFlag = 0;
    std::uint32_t vertexCount = 0;
    std::uint32_t faceCount = 0;
    bool mapping = false; // any texture coordinate other than zero
    // In the output's units and axis order (x, z, y scaled by 0.04), over the
    // finite positions; none when there are none.
    std::optional<std::array<double, 3>> boxMin;
    std::optional<std::array<double, 3>> boxMax;
    // Of what a viewer sees of it from around the model; none when nothing
    // of it is seen.
    std::optional<double> outwardShare;
    StoredWinding winding = StoredWinding::Undecided;
};

// The "Flip Faces" setting that shows a viewer outside the model the fronts
// of its faces in the converted model, decided by the whole model's outward
// share as StoredWinding decides an object's. Models seen from inside (skies,
// rooms) are not advised on.
enum class FlipAdvice
{
    Off,
    On,
    Undecided, // seen as much from the back as from the front, or not seen at all
};

// A patch (SurfacePatch) wound against the advice.
struct PatchAgainst
{
    int object = 0;
    std::uint32_t faces = 0;
};

struct ModelReport
{
    ModelFormat format = ModelFormat::ThreeDs; // as the input was recognised
    std::string textureName;
    std::vector<ObjectReport> objects; // in output order
    int frames = 1;                    // of the keyframe segment
    // Objects whose key slots are not all those of frame 0; none when the
    // animation is too long to read its keys.
    std::optional<int> animatedObjects;
    FlipAdvice flipAdvice = FlipAdvice::Undecided;
    std::optional<double> outwardShare;    // over all objects; none when nothing is seen
    std::vector<int> disagreeingObjects;   // objects whose winding is against the advice
    std::vector<PatchAgainst> patchesAgainst; // by object, as SurfaceSight orders them
    std::vector<ReportWarning> warnings; // by object, then kind; the file's last
};

// The warning kind's name in reports: "unused-vertices", ...
const char* WarningName(WarningKind kind);
