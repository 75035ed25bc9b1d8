#include "geometry/normals.h"
#include "geometry/vector_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace
{
ModelVertex V(float x, float y, float z)
{
    return ModelVertex{x, y, z, 0, 0};
}

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameBits(const ModelVertex& actual, const ModelVertex& expected)
{
    EXPECT_TRUE(SameBits(actual.x, expected.x)) << actual.x << " vs " << expected.x;
    EXPECT_TRUE(SameBits(actual.y, expected.y)) << actual.y << " vs " << expected.y;
    EXPECT_TRUE(SameBits(actual.z, expected.z)) << actual.z << " vs " << expected.z;
}

ModelObject ObjectOf(std::vector<ModelVertex> vertices, std::vector<std::array<int, 3>> faces)
{
    ModelObject object;
    object.vertexCount = static_cast<std::uint32_t>(vertices.size());
    object.vertices = std::move(vertices);
    object.faceCount = static_cast<std::uint32_t>(faces.size());
    for (const auto& indices : faces)
    {
        ModelFace face;
        std::copy(indices.begin(), indices.end(), face.index);
        object.faces.push_back(face);
    }
    return object;
}

// The reference method: every face scanned for every vertex.
std::vector<ModelVertex> QuadraticVertexNormals(const ModelObject& object)
{
    std::vector<ModelVertex> normals(object.vertexCount, V(0, 0, 0));
    for (std::uint32_t k = 0; k < object.vertexCount; ++k)
    {
        for (std::uint32_t l = 0; l < object.faceCount; ++l)
        {
            const auto* index = object.faces[l].index;
            if (index[0] == int(k) || index[1] == int(k) || index[2] == int(k))
                VectorAdd(normals[k], object.faceNormals[l], &normals[k]);
        }
        VectorNormalize(normals[k], &normals[k]);
    }
    return normals;
}
} // namespace

TEST(VectorOps, CrossProductNegatesTheSecondComponent)
{
    ModelVertex out;
    VectorCross(V(1, 0, 0), V(0, 0, 1), &out);
    ExpectSameBits(out, V(0, 1, 0)); // the usual product is (0, -1, 0)
    VectorCross(V(2, 3, 4), V(5, 6, 7), &out);
    ExpectSameBits(out, V(3 * 7 - 4 * 6, 2 * 7 - 4 * 5, 2 * 6 - 3 * 5));
}

TEST(VectorOps, NormalizeKeepsZeroAndNaNLengthVectors)
{
    ModelVertex out{9, 9, 9, 7, 8};
    VectorNormalize(V(3, 0, 4), &out);
    ExpectSameBits(out, V(0.6f, 0, 0.8f));
    EXPECT_EQ(out.u, 7) << "u and v of a result are never written";
    EXPECT_EQ(out.v, 8);
    VectorNormalize(V(0, -0.0f, 0), &out);
    ExpectSameBits(out, V(0, -0.0f, 0));
    const float nan = std::nanf("");
    VectorNormalize(V(nan, 1, 1), &out);
    EXPECT_TRUE(std::isnan(out.x));
    EXPECT_EQ(out.y, 1.0f);
}

TEST(Normals, FaceNormalExamples)
{
    struct Case
    {
        ModelVertex p0, p1, p2, expected;
    };
    const Case cases[] = {
        {V(0, 0, 0), V(1, 0, 0), V(0, 1, 0), V(0, -0.0f, 1)},
        {V(0, 0, 0), V(0, 0, 1), V(1, 0, 0), V(0, -1, 0)},
        {V(0, 0, 0), V(1, 0, 0), V(0, 1, 1), V(0, 0.70710677f, 0.70710677f)},
        {V(0, 0, 0), V(1, 1, 1), V(2, 2, 2), V(0, 0, 0)},
    };
    for (const Case& c : cases)
    {
        ModelObject object = ObjectOf({c.p0, c.p1, c.p2}, {{0, 1, 2}});
        ComputeObjectFaceNormals(object);
        ASSERT_EQ(object.faceNormals.size(), 1u);
        ExpectSameBits(object.faceNormals[0], c.expected);
    }
}

TEST(Normals, VertexNormalExamples)
{
    // Two faces sharing the origin.
    ModelObject shared = ObjectOf({V(0, 0, 0), V(1, 0, 0), V(0, 1, 0), V(0, 0, 1)}, {{0, 1, 2}, {0, 2, 3}});
    ComputeObjectFaceNormals(shared);
    ComputeObjectVertexNormals(shared);
    ExpectSameBits(shared.faceNormals[1], V(1, -0.0f, 0));
    ExpectSameBits(shared.vertexNormals[0], V(0.70710677f, 0, 0.70710677f));
    ExpectSameBits(shared.vertexNormals[1], V(0, 0, 1)); // the sum starts at +0

    // The same triangle in both windings cancels to zero, not NaN.
    ModelObject both = ObjectOf({V(0, 0, 0), V(1, 0, 0), V(0, 1, 0)}, {{0, 1, 2}, {0, 2, 1}});
    ComputeObjectFaceNormals(both);
    ComputeObjectVertexNormals(both);
    ExpectSameBits(both.vertexNormals[0], V(0, 0, 0));

    // A face naming a vertex twice adds its normal once; an unused vertex stays zero.
    ModelObject repeated = ObjectOf({V(0, 0, 0), V(1, 0, 0), V(0, 1, 0), V(5, 5, 5)}, {{0, 0, 1}, {0, 1, 2}});
    ComputeObjectFaceNormals(repeated);
    ComputeObjectVertexNormals(repeated);
    ExpectSameBits(repeated.vertexNormals[0], V(0, 0, 1));
    ExpectSameBits(repeated.vertexNormals[3], V(0, 0, 0));

    ModelObject empty;
    ComputeObjectFaceNormals(empty);
    ComputeObjectVertexNormals(empty);
    EXPECT_TRUE(empty.vertexNormals.empty());
    EXPECT_TRUE(empty.faceNormals.empty());
}

// The linear method must give the reference method's floats bit for bit,
// including on meshes where faces repeat vertices and vertices share many
// faces, so the rounding order matters.
TEST(Normals, LinearVertexNormalsEqualTheQuadraticMethod)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    for (int trial = 0; trial < 40; ++trial)
    {
        const int vertexCount = 1 + int(random() % 200);
        const int faceCount = int(random() % 600);
        std::vector<ModelVertex> vertices;
        for (int i = 0; i < vertexCount; ++i)
            vertices.push_back(V(coordinate(random), coordinate(random), coordinate(random) * 1e-3f));
        std::vector<std::array<int, 3>> faces;
        for (int i = 0; i < faceCount; ++i)
        {
            // Few distinct vertices: many shared faces and some repeated indices.
            const int spread = trial % 2 ? vertexCount : std::min(vertexCount, 6);
            faces.push_back({int(random() % spread), int(random() % spread), int(random() % spread)});
        }
        ModelObject object = ObjectOf(vertices, faces);
        ComputeObjectFaceNormals(object);
        ComputeObjectVertexNormals(object);
        const std::vector<ModelVertex> expected = QuadraticVertexNormals(object);
        for (int k = 0; k < vertexCount; ++k)
            ExpectSameBits(object.vertexNormals[std::size_t(k)], expected[std::size_t(k)]);
    }
}
