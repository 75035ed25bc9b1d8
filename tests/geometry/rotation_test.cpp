#include "geometry/rotation.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace
{
const float kQuarterTurn = static_cast<float>(std::numbers::pi / 2);
const float kNaN = std::numeric_limits<float>::quiet_NaN();

ModelVertex Point(float x, float y, float z)
{
    return ModelVertex{x, y, z, 0, 0};
}

Matrix4 Filled(float first)
{
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.element[i] = first + static_cast<float>(i);
    return m;
}
} // namespace

TEST(Rotation, TurnsFollowTheRightHandAboutEachAxisXFirst)
{
    struct
    {
        const char* label;
        float ax, ay, az;
        ModelVertex point;
        ModelVertex expected;
    } const cases[] = {
        {"X", kQuarterTurn, 0, 0, Point(0, 1, 0), Point(0, 0, 1)},
        {"Y", 0, kQuarterTurn, 0, Point(0, 0, 1), Point(1, 0, 0)},
        {"Z", 0, 0, kQuarterTurn, Point(1, 0, 0), Point(0, 1, 0)},
        {"-Z", 0, 0, -kQuarterTurn, Point(1, 0, 0), Point(0, -1, 0)},
        {"X then Y", kQuarterTurn, kQuarterTurn, 0, Point(0, 1, 0), Point(1, 0, 0)},
        {"Y then Z", 0, kQuarterTurn, kQuarterTurn, Point(0, 0, 1), Point(0, 1, 0)},
        {"X then Z", kQuarterTurn, 0, kQuarterTurn, Point(0, 1, 0), Point(0, 0, 1)},
        {"X then Z, second point", kQuarterTurn, 0, kQuarterTurn, Point(1, 0, 0), Point(0, 1, 0)},
        {"all three", 0.3f, 0.5f, 0.7f, Point(1, 2, 3), Point(1.279109f, 2.416364f, 2.554421f)},
        {"NaN skipped", kNaN, 0, 0, Point(1, 2, 3), Point(1, 2, 3)},
        {"NaN among turns", kNaN, 0, kQuarterTurn, Point(1, 0, 0), Point(0, 1, 0)},
    };
    for (const auto& entry : cases)
    {
        ModelVertex out{};
        RotatePoint(entry.point, entry.ax, entry.ay, entry.az, &out);
        EXPECT_NEAR(out.x, entry.expected.x, 2e-6f) << entry.label;
        EXPECT_NEAR(out.y, entry.expected.y, 2e-6f) << entry.label;
        EXPECT_NEAR(out.z, entry.expected.z, 2e-6f) << entry.label;
    }
}

// With every angle skipped the point is copied, not multiplied: negative
// zeros, NaN and infinities come back bit for bit.
TEST(Rotation, SkippedAnglesReturnThePointBitForBit)
{
    const float inf = std::numeric_limits<float>::infinity();
    const ModelVertex points[] = {Point(-0.0f, 1e-45f, -3.5f), Point(kNaN, inf, -inf), Point(1e38f, -1e38f, 7)};
    const float angles[][3] = {{0, 0, 0}, {-0.0f, 0, -0.0f}, {kNaN, kNaN, kNaN}, {kNaN, -0.0f, 0}};
    for (const ModelVertex& point : points)
    {
        for (const auto& angle : angles)
        {
            ModelVertex out{};
            RotatePoint(point, angle[0], angle[1], angle[2], &out);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(out.x), std::bit_cast<std::uint32_t>(point.x));
            EXPECT_EQ(std::bit_cast<std::uint32_t>(out.y), std::bit_cast<std::uint32_t>(point.y));
            EXPECT_EQ(std::bit_cast<std::uint32_t>(out.z), std::bit_cast<std::uint32_t>(point.z));
        }
    }
}

TEST(Rotation, TextureCoordinatesOfTheResultAreLeftAlone)
{
    for (float angle : {0.0f, 0.4f})
    {
        ModelVertex out{9, 9, 9, 0.125f, 0.875f};
        RotatePoint(ModelVertex{1, 2, 3, 0.5f, 0.5f}, angle, angle, angle, &out);
        EXPECT_EQ(out.u, 0.125f);
        EXPECT_EQ(out.v, 0.875f);
    }
}

// A turn keeps lengths; a long chain of them shows any error in an entry.
TEST(Rotation, TurnsKeepDistancesFromTheOrigin)
{
    ModelVertex point = Point(3, -4, 12);
    for (int step = 0; step < 50; ++step)
    {
        const float a = 0.1f * static_cast<float>(step);
        RotatePoint(point, a, -0.7f * a, 0.3f + a, &point);
        const double length = std::sqrt(double(point.x) * point.x + double(point.y) * point.y +
                                        double(point.z) * point.z);
        ASSERT_NEAR(length, 13.0, 1e-4) << "step " << step;
    }
}

TEST(Rotation, MatrixIdentityCopyAndMultiply)
{
    Matrix4 identity = Filled(5);
    MatrixIdentity(&identity);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(identity(r, c), r == c ? 1.0f : 0.0f);

    const Matrix4 a = Filled(1);
    Matrix4 copy = Filled(-100);
    MatrixCopy(a, &copy);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(copy.element[i], a.element[i]);

    // Row-major: a(i, j) is element 4i + j, so the product's entry (1, 2) is
    // the second row of a times the third column of b.
    const Matrix4 b = Filled(-8);
    Matrix4 product;
    MatrixMultiply(a, b, &product);
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
        {
            float expected = 0;
            for (int k = 0; k < 4; ++k)
                expected += a.element[4 * i + k] * b.element[4 * k + j];
            EXPECT_EQ(product(i, j), expected) << i << "," << j;
        }
    }
    Matrix4 same;
    MatrixMultiply(a, identity, &same);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(same.element[i], a.element[i]);
}

// The sum starts from +0, so a row of negative-zero products gives +0.
TEST(Rotation, MatrixProductSumsFromPositiveZero)
{
    Matrix4 a;
    Matrix4 b;
    MatrixIdentity(&a);
    MatrixIdentity(&b);
    for (float& entry : a.element)
        entry = -0.0f;
    Matrix4 product;
    MatrixMultiply(a, b, &product);
    EXPECT_FALSE(std::signbit(product(0, 0)));
}

// The case table: each angle's matrix holds its float sine and cosine, and
// the matrices of the angles taken are multiplied in X, Y, Z order.
TEST(Rotation, MatrixOfTheAnglesTaken)
{
    const float a = 0.25f;
    const float s = static_cast<float>(std::sin(double{a}));
    const float c = static_cast<float>(std::cos(double{a}));
    Matrix4 aboutX = Filled(0);
    ASSERT_TRUE(RotationMatrix(a, 0, kNaN, &aboutX));
    const float expectedX[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(aboutX.element[i], expectedX[i]) << i;

    Matrix4 aboutY;
    Matrix4 aboutZ;
    ASSERT_TRUE(RotationMatrix(0, a, 0, &aboutY));
    ASSERT_TRUE(RotationMatrix(-0.0f, 0, a, &aboutZ));
    EXPECT_EQ(aboutY(0, 2), -s);
    EXPECT_EQ(aboutY(2, 0), s);
    EXPECT_EQ(aboutZ(0, 1), s);
    EXPECT_EQ(aboutZ(1, 0), -s);

    Matrix4 xy;
    Matrix4 xyz;
    MatrixMultiply(aboutX, aboutY, &xy);
    MatrixMultiply(xy, aboutZ, &xyz);
    Matrix4 all;
    ASSERT_TRUE(RotationMatrix(a, a, a, &all));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(all.element[i], xyz.element[i]) << i;

    Matrix4 untouched = Filled(3);
    EXPECT_FALSE(RotationMatrix(0, kNaN, -0.0f, &untouched));
    EXPECT_EQ(untouched.element[5], 8.0f);
}
