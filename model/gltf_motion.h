#pragma once

#include "records/model_records.h"

#include <array>
#include <cstdint>
#include <vector>

// Where the nodes of a glTF scene place their meshes: node transforms, their
// animation sampled at a time, and the turn from glTF's Y up to the model's
// Z up. Kept apart from the file's reading, so that frames are built from
// these records alone.
//
// Arithmetic is in double. Every sum leaves out the terms whose factor is
// zero: a node without a transform, or one that turns by quarter turns,
// keeps each coordinate exactly as stored, negative zeros, infinities and
// NaNs included, as a .3DS file of the same scene stores them.

// An affine transform: the first three rows of a 4x4 matrix, row-major, the
// fourth column holding the translation. A point is a column vector
// multiplied from the right (p' = M p), as glTF has it.
struct GltfMatrix
{
    std::array<double, 12> element = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

    double& operator()(int row, int column) { return element[static_cast<std::size_t>(4 * row + column)]; }
    double operator()(int row, int column) const { return element[static_cast<std::size_t>(4 * row + column)]; }
};

// A node's own transform as the file states it: a matrix, or translation,
// rotation (a quaternion x, y, z, w) and scale applied scale first.
struct GltfTransform
{
    bool hasMatrix = false;
    GltfMatrix matrix;
    std::array<double, 3> translation = {0, 0, 0};
    std::array<double, 4> rotation = {0, 0, 0, 1};
    std::array<double, 3> scale = {1, 1, 1};
};

// The matrix of a transform. A rotation whose length is neither 0 nor 1 is
// taken at length 1.
GltfMatrix TransformMatrix(const GltfTransform& transform);

// parent * child: the child's transform within its parent's.
GltfMatrix ComposeMatrices(const GltfMatrix& parent, const GltfMatrix& child);

// A mesh point placed by a node's world matrix and turned from Y up to Z up,
// (x, y, z) becoming (x, -z, y), each coordinate rounded to float once; u
// and v are left zero.
ModelVertex PlacePoint(const GltfMatrix& world, const std::array<float, 3>& point);

// What a track animates, and how it fills the time between its keys.
enum class GltfPath
{
    Translation = 0,
    Rotation = 1,
    Scale = 2,
};

enum class GltfInterpolation
{
    Linear,     // rotations along the shorter great arc
    Step,       // each key's value until the next key
    CubicSpline // Hermite, with each key's in- and out-tangents
};

// One node property over time.
struct GltfTrack
{
    GltfPath path = GltfPath::Translation;
    GltfInterpolation interpolation = GltfInterpolation::Linear;
    // In seconds, finite and non-decreasing; at least one.
    std::vector<float> times;
    // Per key, the property's 3 (translation, scale) or 4 (rotation)
    // components; a cubic spline has three such groups per key: in-tangent,
    // value, out-tangent.
    std::vector<float> values;
};

// The components a track's property has: 4 for a rotation, else 3.
int TrackComponents(GltfPath path);

// The track's value at time: the first key's before it, the last key's after
// it. out receives TrackComponents(track.path) values.
void SampleTrack(const GltfTrack& track, double time, double* out);

// One node of the scene as frames see it.
struct GltfNodeMotion
{
    int parent = -1; // the index of its parent in the same list, lower than its own; -1 for a root
    GltfTransform rest;
    // The track that animates each property (by GltfPath), or -1.
    std::array<int, 3> tracks = {-1, -1, -1};
};

// The nodes of a scene, parents before children, and their tracks.
struct GltfMotion
{
    std::vector<GltfNodeMotion> nodes;
    std::vector<GltfTrack> tracks;

    // Every node's world matrix at time, by node index; animated properties
    // take their sampled values, the others their rest values.
    void WorldMatrices(double time, std::vector<GltfMatrix>& out) const;
    // The same in the rest pose, without animation.
    void RestMatrices(std::vector<GltfMatrix>& out) const;
    // Whether a track whose values change animates the node or one of the
    // nodes above it.
    bool Moves(int node) const;
};

// Frames are sampled at this rate, frame k showing time k / 30 s.
inline constexpr double kFramesPerSecond = 30.0;

// The frames that show an animation ending at endTime seconds: frame 0 at
// time 0 up to the first frame at or past the end, to within a thousandth
// of a frame so that a float end time such as 1/3 s does not add one. At
// least 1; large counts come back as they are (the caller bounds them).
double FramesFor(double endTime);
