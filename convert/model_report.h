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
    StoredWinding winding = StoredWinding::Undecided;
};

// The "Flip Faces" setting that makes the faces of the closed objects point
// outward in the converted model.
enum class FlipAdvice
{
    Off,
    On,
    Undecided, // no closed object, or as many of each winding
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
    std::vector<int> disagreeingObjects; // closed objects wound against the advice
    std::vector<ReportWarning> warnings; // by object, then kind; the file's last
};

// The warning kind's name in reports: "unused-vertices", ...
const char* WarningName(WarningKind kind);
