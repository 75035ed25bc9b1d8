// Normals, turns and patches: hand-known cases, and vertex normals against a plain
// scan of every face for every vertex.

#include "geometry/normals.h"
#include "geometry/rotation.h"
#include "geometry/winding.h"
#include "platform/executor.h"

#include <gtest/gtest.h>

// Records are built naming only some of their fields; the others keep their defaults.

#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace {
const float kQuarter = static_cast<float>(std::acos(0.0)), kNaN = std::nanf(""), inf = std::numeric_limits<float>::infinity();

ModelVertex V(float x, float y, float z) { return ModelVertex{x, y, z, 0, 0}; }

// Bit patterns, so that -0 and NaN compare exactly.
std::array<std::uint32_t, 3> Bits(ModelVertex v) { return {std::bit_cast<unsigned>(v.x), std::bit_cast<unsigned>(v.y), std::bit_cast<unsigned>(v.z)}; }

// For each vertex the normals of the faces naming it, in face order, summed
// in float, then scaled by the float of 1 / length (1 for a zero length).
std::vector<ModelVertex> ScannedVertexNormals(const ModelObject& o) {
    std::vector<ModelVertex> normals;
    for (int k = 0; k < static_cast<int>(o.vertexCount); ++k) {
        double s[3] = {0, 0, 0};
        for (std::size_t l = 0; l < o.faceCount; ++l) {
            const ModelVertex& n = o.faceNormals[l];
            if (const std::int32_t* i = o.faces[l].index; i[0] == k || i[1] == k || i[2] == k)
                s[0] = static_cast<float>(s[0] + n.x), s[1] = static_cast<float>(s[1] + n.y), s[2] = static_cast<float>(s[2] + n.z);
        }
        const double length = std::sqrt((s[0] * s[0] + s[1] * s[1]) + s[2] * s[2]);
        const double scale = static_cast<float>(1.0 / (length > 0 ? length : 1.0));
        normals.push_back(V(static_cast<float>(scale * s[0]), static_cast<float>(scale * s[1]), static_cast<float>(scale * s[2])));
    }
    return normals;
}
} // namespace

// Face normals: the unit (p0 - p1) x (p0 - p2) with its second component
// negated, zero without area; checked on five hand-known triangles. Vertex
// normals: on random meshes with few distinct vertices (many shared faces,
// repeated and unused vertices) or many, bit for bit the plain scan's floats.
TEST(Normals, FaceAndVertexNormals) {
    const ModelVertex known[][4] = {
        {V(0, 0, 0), V(1, 0, 0), V(0, 1, 0), V(0, -0.0f, 1)}, {V(0, 0, 0), V(0, 0, 1), V(1, 0, 0), V(0, -1, 0)},
        {V(0, 0, 0), V(1, 0, 0), V(0, 1, 1), V(0, 0.70710677f, 0.70710677f)}, {V(0, 0, 0), V(1, 1, 1), V(2, 2, 2), V(0, 0, 0)},
        {V(5, 1, 0), V(5, 1, 2), V(5, -2, 0), V(1, 0, 0)}};
    for (const auto& t : known) {
        ModelObject o{.vertexCount = 3, .vertices = {t[0], t[1], t[2]}, .faceCount = 1, .faces = {ModelFace{.index = {0, 1, 2}}}};
        ComputeObjectFaceNormals(o);
        EXPECT_EQ(Bits(o.faceNormals.at(0)), Bits(t[3])) << t[3].x << ' ' << t[3].y << ' ' << t[3].z;
    }
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    for (int trial = 0; trial < 40; ++trial) {
        ModelObject o;
        for (o.vertexCount = 1 + random() % 200; o.vertices.size() < o.vertexCount;)
            o.vertices.push_back(V(coordinate(random), coordinate(random), coordinate(random) * 1e-3f));
        const std::uint32_t spread = trial % 2 ? o.vertexCount : std::min(o.vertexCount, 6u);
        for (o.faceCount = random() % 600; o.faces.size() < o.faceCount;)
            o.faces.push_back(ModelFace{.index = {int(random() % spread), int(random() % spread), int(random() % spread)}});
        ComputeObjectFaceNormals(o);
        ComputeObjectVertexNormals(o);
        const std::vector<ModelVertex> expected = ScannedVertexNormals(o);
        ASSERT_EQ(o.vertexNormals.size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k)
            ASSERT_EQ(Bits(o.vertexNormals[k]), Bits(expected[k])) << "trial " << trial << " vertex " << k;
    }
}

// Right-handed turns about the fixed axes, X first, then Y, then Z. Angles of
// zero (either sign) or NaN are skipped: with all skipped the point comes
// back bit for bit. u and v of the result are left alone.
TEST(Rotation, TurnsOfPoints) {
    struct { float ax, ay, az; ModelVertex point, expected; } const cases[] = {
        {kQuarter, 0, 0, V(0, 1, 0), V(0, 0, 1)}, {0, kQuarter, 0, V(0, 0, 1), V(1, 0, 0)},
        {0, 0, kQuarter, V(1, 0, 0), V(0, 1, 0)}, {0, 0, -kQuarter, V(1, 0, 0), V(0, -1, 0)},
        {kQuarter, kQuarter, 0, V(0, 1, 0), V(1, 0, 0)}, {0, kQuarter, kQuarter, V(0, 0, 1), V(0, 1, 0)},
        {kQuarter, 0, kQuarter, V(0, 1, 0), V(0, 0, 1)}, {kQuarter, 0, kQuarter, V(1, 0, 0), V(0, 1, 0)},
        {0.3f, 0.5f, 0.7f, V(1, 2, 3), V(1.2791088f, 2.4163637f, 2.5544212f)}, {kNaN, 0, kQuarter, V(1, 0, 0), V(0, 1, 0)},
        {0, -0.0f, 0, V(-0.0f, 1e-45f, -3.5f), V(-0.0f, 1e-45f, -3.5f)}, {kNaN, -0.0f, kNaN, V(kNaN, inf, -inf), V(kNaN, inf, -inf)},
    };
    for (const auto& c : cases) {
        ModelVertex out{9, 9, 9, 0.125f, 0.875f};
        RotatePoint(c.point, c.ax, c.ay, c.az, &out);
        const float miss = std::hypot(out.x - c.expected.x, out.y - c.expected.y, out.z - c.expected.z);
        EXPECT_TRUE((Bits(c.point) == Bits(c.expected) ? Bits(out) == Bits(c.point) : miss < 3e-6f) && out.u == 0.125f && out.v == 0.875f)
            << c.ax << ' ' << c.ay << ' ' << c.az << ": " << out.x << ' ' << out.y << ' ' << out.z;
    }
}

// Patches: faces join across an edge of two positions that exactly two faces
// share running opposite ways; a third face on the edge, a face turned the
// other way, or no shared edge keeps them apart. Vertices split at a seam
// still join by position. Each case's faces by their patch numbers.
TEST(Winding, PatchesAndFronts) {
    const ModelVertex a = V(0, 0, 0), b = V(1, 0, 0), c = V(0, 1, 0), d = V(1, 1, 0), e = V(0, -1, 1), f = V(0, -1, -1);
    struct PatchCase { std::vector<ModelVertex> vertices; std::vector<std::array<std::int32_t, 3>> faces; std::string patches; };
    const PatchCase cases[] = {
        {{a, b, c, d}, {{0, 1, 2}, {1, 3, 2}}, "00"},
        {{a, b, c, d}, {{0, 1, 2}, {1, 2, 3}}, "01"},
        {{a, b, c, b, d, c}, {{0, 1, 2}, {3, 4, 5}}, "00"},                  // a seam
        {{a, b, c, b, d, V(-0.f, 1, -0.f)}, {{0, 1, 2}, {3, 4, 5}}, "00"},   // a seam where one side has -0
        {{a, b, c, e, f}, {{0, 1, 2}, {1, 0, 3}, {1, 0, 4}}, "012"},         // three faces on one edge
        {{a, b, c, d, e}, {{0, 1, 2}, {1, 3, 2}, {3, 4, 0}}, "001"},         // only a corner shared
        {{a, b, c, d}, {{0, 1, 2}, {1, 3, 2}, {0, 0, 1}, {1, 3, 2}}, "0123"}, // a face repeated, one without area
    };
    CExecutor executor(1);
    for (const PatchCase& test : cases) {
        ModelObject o{.vertexCount = std::uint32_t(test.vertices.size()), .vertices = {test.vertices.begin(), test.vertices.end()}, .faceCount = std::uint32_t(test.faces.size())};
        for (const auto& face : test.faces)
            o.faces.push_back(ModelFace{.index = {face[0], face[1], face[2]}});
        const SurfaceSight sight = LookAtSurface({&o}, executor);
        std::string patches;
        for (const std::uint32_t patch : sight.patchOfFace[0])
            patches += char('0' + patch);
        EXPECT_EQ(patches, test.patches) << test.faces.size();
        EXPECT_EQ(sight.patches.size(), std::size_t(patches.back() - '0' + 1));
    }
    // The front: counter-clockwise as the viewer sees the corners.
    EXPECT_EQ(std::tuple(ShowsFront(a, b, c, {0, 0, 1}), ShowsFront(a, b, c, {0, 0, -1}), ShowsFront(a, c, b, {0, 0, -1}), ShowsFront(a, b, c, {1, 0, 0})),
              std::tuple(true, false, true, false));
}
